// A minimal JSON reader for the probe's report: enough for objects, arrays,
// strings (UTF-8; \uXXXX escapes decoded to UTF-8), integers, booleans and
// null.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

struct JsonValue {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  long long number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> fields;

  bool Has(const std::string& key) const { return kind == kObject && fields.count(key) != 0; }
  // The field `key`, or a null value when there is none.
  const JsonValue& operator[](const std::string& key) const;
  const JsonValue& operator[](size_t index) const;
  bool IsNull() const { return kind == kNull; }
};

// Parses `text`; on malformed input returns false and leaves *value untouched.
bool ParseJson(const std::string& text, JsonValue* value);
