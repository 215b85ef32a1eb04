// One command-line argument of a path: a switch name, its value, or both.
#pragma once

#include <string>

class CPathArgument {
 public:
  CPathArgument() = default;
  virtual ~CPathArgument() = default;
  CPathArgument(const CPathArgument&) = default;
  CPathArgument& operator=(const CPathArgument&) = default;

  // Takes text as the name without its switch characters and spaces; a "/" or
  // "-" in it decides the switch character ("-" wins when both occur).
  void SetName(const std::string& text);
  void SetValue(const std::string& value) { m_strValue = value; }
  void SetSwitch(char switchChar) { m_cSwitch = switchChar; }

  char GetSwitch() const { return m_cSwitch; }
  const std::string& GetName() const { return m_strName; }
  const std::string& GetValue() const { return m_strValue; }

  // " /name value", each part only when present; a value with a space is quoted.
  std::string GetText() const;

 private:
  char m_cSwitch = '/';
  std::string m_strName;
  std::string m_strValue;
};
