// A small JSON writer for the probe's report: objects, arrays, strings
// (UTF-8, written as they are; a byte that begins no valid UTF-8 character
// becomes U+FFFD, so the report is always valid JSON), integers, booleans
// and null. Compact on one line, or indented for a person to read.
#pragma once

#include <cstdio>
#include <string>

class JsonWriter {
 public:
  // `indented`: one member or element a line, two spaces a level.
  explicit JsonWriter(bool indented = false) : indented_(indented) {}

  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }

  void Key(const std::string& key) {
    Separate();
    AppendString(key);
    text_ += indented_ ? ": " : ":";
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
  // `key` and an array of every value in `values`, in order.
  template <typename Values>
  void Array(const std::string& key, const Values& values) {
    Key(key);
    BeginArray();
    for (const auto& value : values) Value(value);
    EndArray();
  }

  const std::string& Text() const { return text_; }

 private:
  void Open(char bracket) {
    Separate();
    text_ += bracket;
    ++depth_;
    first_ = true;
  }
  void Close(char bracket) {
    --depth_;
    // An empty container stays on its line.
    if (indented_ && !first_) NewLine();
    text_ += bracket;
    first_ = false;
  }
  void Separate() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (!first_ && !text_.empty()) text_ += ',';
    if (indented_ && depth_ > 0) NewLine();
    first_ = false;
  }
  void NewLine() {
    text_ += '\n';
    text_.append(static_cast<size_t>(depth_) * 2, ' ');
  }
  // The length of the valid UTF-8 character at value[i], or 0.
  static size_t Utf8Length(const std::string& value, size_t i) {
    const auto lead = static_cast<unsigned char>(value[i]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4                                   ? 4
                                                                                            : 0;
    if (length == 0 || i + length > value.size()) return 0;
    unsigned code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(value[i + k]);
      if ((next & 0xC0) != 0x80) return 0;
      code = (code << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool outOfRange = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
    return overlong || outOfRange ? 0 : length;
  }

  void AppendString(const std::string& value) {
    text_ += '"';
    for (size_t i = 0; i < value.size(); ++i) {
      const auto ch = static_cast<unsigned char>(value[i]);
      if (ch == '"' || ch == '\\') {
        text_ += '\\';
        text_ += static_cast<char>(ch);
      } else if (ch == '\n') {
        text_ += "\\n";
      } else if (ch == '\r') {
        text_ += "\\r";
      } else if (ch == '\t') {
        text_ += "\\t";
      } else if (ch < 0x20 || ch == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
        text_ += escaped;
      } else if (ch < 0x80) {
        text_ += static_cast<char>(ch);
      } else if (const size_t length = Utf8Length(value, i)) {
        text_.append(value, i, length);
        i += length - 1;
      } else {
        text_ += "\\ufffd";
      }
    }
    text_ += '"';
  }

  std::string text_;
  bool first_ = true;
  bool afterKey_ = false;
  bool indented_ = false;
  int depth_ = 0;
};
