// The text form of one provisioning setting, <parm name="NAME" value="VALUE"/>, and the plain
// text search by which its name and value fields are found. Lines are never parsed as XML: a
// hand-made line outside that form still has a name field and a value field.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The settings the settings pages edit.
inline constexpr std::wstring_view InServerSetting = L"INSERVER";
inline constexpr std::wstring_view OutServerSetting = L"OUTSERVER";
inline constexpr std::wstring_view PasswordSetting = L"AUTHSECRET";
inline constexpr std::wstring_view SmtpUserNameSetting = L"SMTPALTAUTHNAME";
inline constexpr std::wstring_view SmtpPasswordSetting = L"SMTPALTPASSWORD";
inline constexpr std::wstring_view SmtpDomainSetting = L"SMTPALTDOMAIN";

// Where a field lies in a line: [begin, end).
struct FieldBounds {
    size_t begin = 0;
    size_t end = 0;
};

// Finds the field that follows marker ("name" or "value"): the text between the first double
// quote at or after the marker's first occurrence and the next double quote. A missing marker or
// opening quote lets the field start at the beginning of the line; a missing closing quote lets
// it run to the end.
FieldBounds LocateField(std::wstring_view line, std::wstring_view marker);

// The field's text.
std::wstring_view FieldText(std::wstring_view line, std::wstring_view marker);

// Whether a line has a well-formed value field: the marker, an opening and a closing quote.
bool HasValueField(std::wstring_view line);

// XML escaping of a value (& < > " ' and TAB, CR, LF as character references), so that whatever
// the user typed is applied intact and the line stays one line.
std::wstring EscapeParmValue(std::wstring_view value);

// The reverse: the five named entities and numeric character references are decoded; an
// ampersand that starts no entity is kept as it stands.
std::wstring UnescapeParmValue(std::wstring_view text);

// The start of a new line for a setting: <parm name="NAME" value="
std::wstring ParmLinePrefix(std::wstring_view settingName);

// A whole new line for a setting, with its value escaped.
std::wstring MakeParmLine(std::wstring_view settingName, std::wstring_view value);

inline constexpr std::wstring_view ParmLineSuffix = L"\"/>";

// The value of the first line whose name field is exactly settingName, unescaped; nothing when no
// line has that name.
std::optional<std::wstring> FindParmValue(std::span<const std::wstring> lines,
                                          std::wstring_view settingName);

// Replaces, in place, the value of the first line whose name field is exactly settingName with
// newValue, escaped. False when no line has that name; a line is never added.
bool ReplaceParmValue(std::span<std::wstring> lines, std::wstring_view settingName,
                      std::wstring_view newValue);
