#pragma once
// A small writer for the flat-enough JSON documents of the exports: numbers in the shortest
// form that reads back as the same double ("null" when not finite), texts escaped.
#include <string>

#include "solver/input.h"

namespace kelvado {

class JsonWriter {
 public:
  void Open(char bracket);   // '{' or '[', as a value: after Key, in an array or at the top
  void Close(char bracket);
  void Key(const std::string& key);
  void Number(const std::string& key, double value);
  void Text(const std::string& key, const std::string& value);
  void Item(const std::string& value);  // a text in an array
  // "inputs": every field by its option name, as a number where it reads as one.
  void Inputs(const InputTexts& inputs, char decimalSeparator);
  std::string Take() { return std::move(text_) + "\n"; }

 private:
  void Separate();
  void String(const std::string& s);

  std::string text_;
  bool first_ = true;
};

}  // namespace kelvado
