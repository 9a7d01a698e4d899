#pragma once
// Just enough of a JSON reader to check that exported documents parse back.
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace kelvado::testing {

struct JsonValue;
using JsonObject = std::map<std::string, JsonValue>;
using JsonArray = std::vector<JsonValue>;

struct JsonValue {
  std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<JsonArray>, std::shared_ptr<JsonObject>> v;
  double number() const { return std::get<double>(v); }
  const std::string& text() const { return std::get<std::string>(v); }
  const JsonArray& array() const { return *std::get<std::shared_ptr<JsonArray>>(v); }
  const JsonObject& object() const { return *std::get<std::shared_ptr<JsonObject>>(v); }
  const JsonValue& operator[](const std::string& key) const { return object().at(key); }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : s_(text) {}
  JsonValue Parse() {
    JsonValue value = Value();
    Space();
    if (i_ != s_.size()) throw std::runtime_error("trailing text");
    return value;
  }

 private:
  void Space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }
  void Expect(char c) {
    Space();
    if (i_ >= s_.size() || s_[i_] != c) throw std::runtime_error(std::string("expected ") + c);
    ++i_;
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (i_ < s_.size() && s_[i_] != '"') {
      if (s_[i_] == '\\') {
        ++i_;
        if (s_.at(i_) == 'u') {
          out += static_cast<char>(std::stoi(s_.substr(i_ + 1, 4), nullptr, 16));
          i_ += 4;
        } else {
          out += s_[i_];
        }
      } else {
        out += s_[i_];
      }
      ++i_;
    }
    Expect('"');
    return out;
  }
  JsonValue Value() {
    Space();
    if (i_ >= s_.size()) throw std::runtime_error("unexpected end");
    const char c = s_[i_];
    if (c == '{') {
      ++i_;
      auto object = std::make_shared<JsonObject>();
      Space();
      if (s_.at(i_) == '}') return ++i_, JsonValue{object};
      do {
        std::string key = String();
        Expect(':');
        (*object)[key] = Value();
        Space();
      } while (s_.at(i_) == ',' && ++i_);
      Expect('}');
      return JsonValue{object};
    }
    if (c == '[') {
      ++i_;
      auto array = std::make_shared<JsonArray>();
      Space();
      if (s_.at(i_) == ']') return ++i_, JsonValue{array};
      do {
        array->push_back(Value());
        Space();
      } while (s_.at(i_) == ',' && ++i_);
      Expect(']');
      return JsonValue{array};
    }
    if (c == '"') return JsonValue{String()};
    if (s_.compare(i_, 4, "null") == 0) return i_ += 4, JsonValue{nullptr};
    if (s_.compare(i_, 4, "true") == 0) return i_ += 4, JsonValue{true};
    if (s_.compare(i_, 5, "false") == 0) return i_ += 5, JsonValue{false};
    char* end = nullptr;
    const double number = std::strtod(s_.c_str() + i_, &end);
    if (end == s_.c_str() + i_) throw std::runtime_error("bad value");
    i_ = static_cast<std::size_t>(end - s_.c_str());
    return JsonValue{number};
  }
  const std::string& s_;
  std::size_t i_ = 0;
};

}  // namespace kelvado::testing
