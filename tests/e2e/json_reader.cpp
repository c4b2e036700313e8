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
          long code = std::strtol(text_.substr(at_, 4).c_str(), nullptr, 16);
          at_ += 4;
          *out += static_cast<char>(code & 0xFF);
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
