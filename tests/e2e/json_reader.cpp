#include "json_reader.h"

#include <cstdlib>

namespace {

const JsonValue& NullValue() {
  static const JsonValue null;
  return null;
}

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  bool ParseDocument(JsonValue* value) {
    if (!ParseValue(value)) return false;
    SkipSpace();
    return at_ == text_.size();
  }

 private:
  void SkipSpace() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) ++at_;
  }
  bool Consume(char ch) {
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == ch) {
      ++at_;
      return true;
    }
    return false;
  }
  bool ConsumeWord(const char* word) {
    std::string w(word);
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  static void AppendUtf8(unsigned code, std::string* out) {
    if (code < 0x80) {
      *out += static_cast<char>(code);
    } else if (code < 0x800) {
      *out += static_cast<char>(0xC0 | (code >> 6));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      *out += static_cast<char>(0xE0 | (code >> 12));
      *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      *out += static_cast<char>(0xF0 | (code >> 18));
      *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  bool ParseString(std::string* out) {
    if (!Consume('"')) return false;
    while (at_ < text_.size() && text_[at_] != '"') {
      char ch = text_[at_++];
      if (ch != '\\') {
        *out += ch;
        continue;
      }
      if (at_ >= text_.size()) return false;
      char escape = text_[at_++];
      switch (escape) {
        case 'n': *out += '\n'; break;
        case 'r': *out += '\r'; break;
        case 't': *out += '\t'; break;
        case 'u': {
          if (at_ + 4 > text_.size()) return false;
          unsigned long code = std::strtoul(text_.substr(at_, 4).c_str(), nullptr, 16);
          at_ += 4;
          // A surrogate pair arrives as two escapes.
          if (code >= 0xD800 && code <= 0xDBFF && text_.compare(at_, 2, "\\u") == 0 && at_ + 6 <= text_.size()) {
            const unsigned long low = std::strtoul(text_.substr(at_ + 2, 4).c_str(), nullptr, 16);
            if (low >= 0xDC00 && low <= 0xDFFF) {
              code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
              at_ += 6;
            }
          }
          AppendUtf8(static_cast<unsigned>(code), out);
          break;
        }
        default: *out += escape; break;
      }
    }
    return Consume('"');
  }
  bool ParseValue(JsonValue* value) {
    SkipSpace();
    if (at_ >= text_.size()) return false;
    char ch = text_[at_];
    if (ch == '{') {
      ++at_;
      value->kind = JsonValue::kObject;
      if (Consume('}')) return true;
      do {
        std::string key;
        if (!ParseString(&key) || !Consume(':')) return false;
        if (!ParseValue(&value->fields[key])) return false;
      } while (Consume(','));
      return Consume('}');
    }
    if (ch == '[') {
      ++at_;
      value->kind = JsonValue::kArray;
      if (Consume(']')) return true;
      do {
        value->items.emplace_back();
        if (!ParseValue(&value->items.back())) return false;
      } while (Consume(','));
      return Consume(']');
    }
    if (ch == '"') {
      value->kind = JsonValue::kString;
      return ParseString(&value->text);
    }
    if (ConsumeWord("true")) {
      value->kind = JsonValue::kBool;
      value->boolean = true;
      return true;
    }
    if (ConsumeWord("false")) {
      value->kind = JsonValue::kBool;
      return true;
    }
    if (ConsumeWord("null")) return true;
    char* end = nullptr;
    value->number = std::strtoll(text_.c_str() + at_, &end, 10);
    if (end == text_.c_str() + at_) return false;
    value->kind = JsonValue::kNumber;
    at_ = static_cast<size_t>(end - text_.c_str());
    return true;
  }

  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  auto found = fields.find(key);
  return found == fields.end() ? NullValue() : found->second;
}

const JsonValue& JsonValue::operator[](size_t index) const { return index < items.size() ? items[index] : NullValue(); }

bool ParseJson(const std::string& text, JsonValue* value) {
  JsonValue parsed;
  Parser parser(text);
  if (!parser.ParseDocument(&parsed)) return false;
  *value = std::move(parsed);
  return true;
}
