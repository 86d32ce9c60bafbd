// The text form of one provisioning setting, <parm name="NAME" value="VALUE"/>, and the reading
// of a line as the configuration manager reads it once the line is pasted into the account's
// characteristic: so the settings pages show and edit exactly what the handset applies.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// One parm element of a line, as an XML parser reads it.
struct ParmElement {
    std::wstring name;     // references decoded
    std::wstring value;    // references decoded, each literal blank a space
    FieldBounds valueText; // the value's text in the line, between its quotes
};

// Reads a line that may hold only blanks, comments and parm elements (<parm .../> or
// <parm ...></parm>, each with a name and a value attribute), in XML 1.0 syntax: attribute
// values in either quote, the five named references and character references of any length.
// Nothing when the line holds anything else or is not well-formed: pasted into the document it
// would put something else into the account's characteristic, even close it and open another
// account's, or the configuration manager would refuse it.
std::optional<std::vector<ParmElement>> ReadParmLine(std::wstring_view line);

// Whether ReadParmLine reads the line.
bool IsParmLine(std::wstring_view line);

// XML escaping of a value (& < > " ' and TAB, CR, LF as character references), so that whatever
// the user typed is applied intact and the line stays one line.
std::wstring EscapeParmValue(std::wstring_view value);

// The start of a new line for a setting: <parm name="NAME" value="
std::wstring ParmLinePrefix(std::wstring_view settingName);

// A whole new line for a setting, with its value escaped.
std::wstring MakeParmLine(std::wstring_view settingName, std::wstring_view value);

inline constexpr std::wstring_view ParmLineSuffix = L"\"/>";

// The value of the last parm element named settingName, which is the one the handset keeps when
// the account holds two; lines that ReadParmLine does not read are passed over. Nothing when no
// element has that name.
std::optional<std::wstring> FindParmValue(std::span<const std::wstring> lines,
                                          std::wstring_view settingName);

// Replaces, in place, the value of the element that FindParmValue reads with newValue, escaped;
// the rest of the line stays as it was. False when no element has that name; a line is never
// added.
bool ReplaceParmValue(std::span<std::wstring> lines, std::wstring_view settingName,
                      std::wstring_view newValue);
