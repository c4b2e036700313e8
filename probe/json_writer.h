// A small JSON writer for the probe's report: objects, arrays, strings (bytes
// of 128 and more escaped as \u00XX so any ANSI text stays valid JSON),
// integers, booleans and null.
#pragma once

#include <cstdio>
#include <string>

class JsonWriter {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }

  void Key(const std::string& key) {
    Separate();
    AppendString(key);
    text_ += ':';
    afterKey_ = true;
  }
  void Value(const std::string& value) {
    Separate();
    AppendString(value);
  }
  void Value(long long value) {
    Separate();
    text_ += std::to_string(value);
  }
  void Value(bool value) {
    Separate();
    text_ += value ? "true" : "false";
  }
  void Null() {
    Separate();
    text_ += "null";
  }
  template <typename T>
  void Field(const std::string& key, const T& value) {
    Key(key);
    Value(value);
  }

  const std::string& Text() const { return text_; }

 private:
  void Open(char bracket) {
    Separate();
    text_ += bracket;
    first_ = true;
  }
  void Close(char bracket) {
    text_ += bracket;
    first_ = false;
  }
  void Separate() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (!first_ && !text_.empty()) text_ += ',';
    first_ = false;
  }
  void AppendString(const std::string& value) {
    text_ += '"';
    for (unsigned char ch : value) {
      if (ch == '"' || ch == '\\') {
        text_ += '\\';
        text_ += static_cast<char>(ch);
      } else if (ch == '\n') {
        text_ += "\\n";
      } else if (ch == '\r') {
        text_ += "\\r";
      } else if (ch == '\t') {
        text_ += "\\t";
      } else if (ch < 0x20 || ch >= 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
        text_ += escaped;
      } else {
        text_ += static_cast<char>(ch);
      }
    }
    text_ += '"';
  }

  std::string text_;
  bool first_ = true;
  bool afterKey_ = false;
};
