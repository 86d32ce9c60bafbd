// Parm lines over many seeded random cases, built from the pieces of XML that steer how a line is
// read: the reader against the configuration manager itself, and the by-name operations against
// what each line was built to hold.
#include <gtest/gtest.h>

#include <windows.h>
#include <cfgmgrapi.h>

#include <algorithm>
#include <cwchar>
#include <optional>

#include "accounts/account_record.h"
#include "files/unicode.h"
#include "handset/registry/store_registry.h"
#include "provisioning/parm_line.h"
#include "provisioning/provisioning_document.h"
#include "tests/support/account_lines.h"
#include "tests/support/random_text.h"
#include "tests/support/scoped_handset.h"

namespace {

using testing_support::ParmLineAt;
using testing_support::RandomText;

// The character that a pair of surrogates stands for.
char32_t CodePointOfPair(wchar_t high, wchar_t low) {
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
           (static_cast<char32_t>(low) - 0xDC00);
}

constexpr uint32_t seed = 20261207;
constexpr int cases = 10000;

struct Piece {
    std::wstring_view text;
    std::wstring_view meaning; // what a parser reads from it
};

// A parm element or a whole line as built, and what an XML parser reads from it.
struct BuiltLine {
    std::wstring text;
    std::vector<ParmElement> parms;
};

constexpr std::wstring_view settingNames[] = {L"INSERVER", L"OUTSERVER", L"AUTHSECRET"};

class LineBuilder {
public:
    explicit LineBuilder(RandomText& random) : random(random) {}

    // Up to three parm elements, with blanks and comments around them.
    BuiltLine Line() {
        BuiltLine line;
        line.text = Between();
        for (size_t count = random.Between(0, 3); count > 0; --count) {
            AddParm(line);
            line.text += Between();
        }
        return line;
    }

    // The line with one piece put in or a few characters taken out, anywhere: most such lines
    // are no longer well-formed, or no longer hold only parm elements.
    std::wstring Broken(const std::wstring& line) {
        static constexpr std::wstring_view breakers[] = {
            L"<",    L"&",        L"\"",   L"'",       L"--",
            L">",    L"/",        L"=",    L" ",       L"x",
            L";",    L"<!--",     L"-->",  L"<parm",   L"&#0;",
            L"&#1;", L"&#xFFFE;", L"\x01", L"</parm>", L"</characteristic>"};
        std::wstring broken = line;
        size_t at = random.Between(0, broken.size());
        if (random.OneIn(3) && at < broken.size()) {
            broken.erase(at, random.Between(1, 3));
        } else {
            broken.insert(at, breakers[random.Between(0, std::size(breakers) - 1)]);
        }
        return broken;
    }

private:
    std::wstring Blanks(bool optional) {
        static constexpr std::wstring_view blanks[] = {L" ", L"\t", L"  ", L" \t "};
        return optional && random.OneIn(2) ? L"" : std::wstring(blanks[random.Between(0, 3)]);
    }

    // Blanks and comments, which a parser passes over.
    std::wstring Between() {
        static constexpr std::wstring_view fillers[] = {
            L"", L" ", L"\t", L"<!---->", L"<!--<parm name='INSERVER' value='old'/>-->"};
        return std::wstring(fillers[random.Between(0, std::size(fillers) - 1)]);
    }

    // A character as a reference of either base, with leading zeros at times.
    std::wstring Reference(char32_t code) {
        wchar_t digits[16] = {};
        bool hexadecimal = random.OneIn(2);
        swprintf(digits, 16, hexadecimal ? (random.OneIn(2) ? L"%lx" : L"%lX") : L"%lu",
                 static_cast<unsigned long>(code));
        std::wstring zeros(random.OneIn(3) ? random.Between(1, 12) : 0, L'0');
        return (hexadecimal ? L"&#x" : L"&#") + zeros + digits + L";";
    }

    // An attribute value between its quotes, and what it means.
    void ValueText(wchar_t quote, std::wstring& text, std::wstring& meaning) {
        static constexpr Piece pieces[] = {{L"a", L"a"},         {L"pop.example", L"pop.example"},
                                           {L"é", L"é"},         {L"\U0001F4E7", L"\U0001F4E7"},
                                           {L"&amp;", L"&"},     {L"&lt;", L"<"},
                                           {L"&gt;", L">"},      {L">", L">"},
                                           {L"&quot;", L"\""},   {L"&apos;", L"'"},
                                           {L" ", L" "},         {L"\t", L" "},
                                           {L"&#9;", L"\t"},     {L"&#13;&#10;", L"\r\n"},
                                           {L"/>", L"/>"},       {L"-->", L"-->"},
                                           {L"name=", L"name="}, {L"&#x0000000073;", L"s"}};
        for (size_t count = random.Between(0, 5); count > 0; --count) {
            switch (random.Between(0, 5)) {
            case 0: {
                // A character of any plane written as a reference.
                std::wstring character = random.Characters(1);
                if (!character.empty()) {
                    char32_t code = character.size() == 2
                                        ? CodePointOfPair(character[0], character[1])
                                        : character[0];
                    text += Reference(code);
                    meaning += character;
                }
                break;
            }
            case 1: {
                // The other quote stands for itself.
                wchar_t other = quote == L'"' ? L'\'' : L'"';
                text += other;
                meaning += other;
                break;
            }
            default: {
                const Piece& piece = pieces[random.Between(0, std::size(pieces) - 1)];
                text += piece.text;
                meaning += piece.meaning;
                break;
            }
            }
        }
    }

    // name="...", value="..." and at times another attribute, in any order.
    void AddParm(BuiltLine& line) {
        ParmElement parm;
        parm.name = settingNames[random.Between(0, 2)];
        std::wstring nameText;
        for (wchar_t character : parm.name) {
            nameText += random.OneIn(6) ? Reference(character) : std::wstring(1, character);
        }
        enum { name, value, other };
        std::vector<int> order = {name, value};
        if (random.OneIn(4)) {
            order.push_back(other);
        }
        std::shuffle(order.begin(), order.end(), random.Engine());

        line.text += L"<parm";
        for (int attribute : order) {
            line.text += Blanks(false);
            line.text += attribute == name ? L"name" : attribute == value ? L"value" : L"datatype";
            line.text += Blanks(true) + L"=" + Blanks(true);
            const wchar_t quote = random.OneIn(3) ? L'\'' : L'"';
            line.text += quote;
            if (attribute == name) {
                line.text += nameText;
            } else if (attribute == value) {
                std::wstring text;
                parm.valueText.begin = line.text.size();
                ValueText(quote, text, parm.value);
                line.text += text;
                parm.valueText.end = line.text.size();
            } else {
                line.text += L"string";
            }
            line.text += quote;
        }
        static constexpr std::wstring_view ends[] = {L"/>", L" />", L"></parm>", L"></parm >",
                                                     L"\t></parm\t>"};
        line.text += ends[random.Between(0, std::size(ends) - 1)];
        line.parms.push_back(std::move(parm));
    }

    RandomText& random;
};

// What the configuration manager writes into the account for a document of the one line: each
// setting as the line leaves it, or "unset"; nothing when it refuses the document.
class ConfigurationManagerProbe {
public:
    ConfigurationManagerProbe() : guid(handset::GuidText(handset::AddAccount(L"Probe"))) {}

    // Every setting a built line names, as "unset".
    handset::Settings Unset() const {
        handset::Settings unset;
        for (auto name : settingNames) {
            unset[std::wstring(name)] = L"unset";
        }
        return unset;
    }

    std::optional<handset::Settings> Apply(const std::wstring& line) {
        handset::SetSettings(L"Probe", Unset());
        std::wstring document = BuildProvisioningDocument(guid, std::span(&line, 1));
        LPWSTR reply = nullptr;
        HRESULT status = DMProcessConfigXML(document.c_str(), CFGFLAG_PROCESS, &reply);
        delete[] reply;
        if (FAILED(status)) {
            return std::nullopt;
        }
        return handset::ListStores()[0].settings;
    }

private:
    testing_support::ScopedHandset handsetState;
    std::wstring guid;
};

bool SameParms(const std::vector<ParmElement>& read, const std::vector<ParmElement>& built) {
    return std::equal(read.begin(), read.end(), built.begin(), built.end(),
                      [](const ParmElement& a, const ParmElement& b) {
                          return a.name == b.name && a.value == b.value &&
                                 a.valueText.begin == b.valueText.begin &&
                                 a.valueText.end == b.valueText.end;
                      });
}

// A character reference of 11 digits or more: the desktop parser under the emulated
// configuration manager refuses some of these, though XML 1.0 allows them.
bool HoldsAReferenceOf11DigitsOrMore(const std::wstring& line) {
    for (size_t at = line.find(L"&#"); at != std::wstring::npos; at = line.find(L"&#", at + 1)) {
        const bool hexadecimal = line.compare(at, 3, L"&#x") == 0;
        const size_t first = at + (hexadecimal ? 3 : 2);
        const size_t end =
            line.find_first_not_of(hexadecimal ? L"0123456789abcdefABCDEF" : L"0123456789", first);
        if (std::min(end, line.size()) - first >= 11) {
            return true;
        }
    }
    return false;
}

TEST(ParmLineProperty, ReadsEveryLineAsTheConfigurationManagerDoes) {
    RandomText random(seed);
    LineBuilder builder(random);
    ConfigurationManagerProbe configurationManager;
    int read = 0;
    for (int i = 0; i < cases; ++i) {
        BuiltLine built = builder.Line();
        const bool broken = random.OneIn(2);
        const std::wstring line = broken ? builder.Broken(built.text) : built.text;
        std::optional<std::vector<ParmElement>> parms = ReadParmLine(line);
        // Checking a line, which decodes nothing, says what reading it says.
        ASSERT_EQ(IsParmLine(line), parms.has_value()) << "case " << i;
        if (!broken) {
            ASSERT_TRUE(parms && SameParms(*parms, built.parms)) << "case " << i;
        }
        if (!parms) {
            continue;
        }
        // What the reader reads is what the handset applies: the last value of each name.
        handset::Settings expected = configurationManager.Unset();
        bool email2Names = true;
        for (const auto& parm : *parms) {
            email2Names = email2Names && expected.contains(parm.name);
            expected[parm.name] = parm.value;
        }
        std::optional<handset::Settings> applied = configurationManager.Apply(line);
        if (!email2Names || (!applied && HoldsAReferenceOf11DigitsOrMore(line))) {
            continue;
        }
        ++read;
        ASSERT_TRUE(applied) << "case " << i << " " << testing::PrintToString(line);
        ASSERT_EQ(*applied, expected) << "case " << i << " " << testing::PrintToString(line);
    }
    // Most cases reach the comparison; the broken ones the reader refuses mostly do not.
    EXPECT_GT(read, cases / 2);
}

TEST(ParmValueProperty, ReadsAndReplacesTheLastElementOfThatNameByTheRules) {
    RandomText random(seed + 1);
    LineBuilder builder(random);
    for (int i = 0; i < cases; ++i) {
        AccountRecord account;
        std::vector<BuiltLine> lines;
        for (size_t count = random.Between(0, 4); count > 0; --count) {
            lines.push_back(builder.Line());
            if (random.OneIn(4)) {
                // A stray "<" after the elements: the line is not read, its elements are no
                // one's.
                lines.back().text += L"<";
                lines.back().parms.clear();
            }
            account.AddParmLine(lines.back().text);
        }
        const std::wstring name(settingNames[random.Between(0, 2)]);
        const std::wstring newValue = random.Characters(8);

        BuiltLine* holder = nullptr;
        const ParmElement* match = nullptr;
        // The handset keeps the last element of a name: that one is read and replaced.
        for (auto& line : lines) {
            for (const ParmElement& parm : line.parms) {
                if (parm.name == name) {
                    holder = &line;
                    match = &parm;
                }
            }
        }
        std::wstring value = L"left over";
        int readResult = account.GetParmValue(name, value);
        int replaceResult = account.SetParmValue(name, newValue);
        if (match == nullptr) {
            ASSERT_EQ(readResult, -1) << "case " << i;
            ASSERT_EQ(value, L"") << "case " << i;
            ASSERT_EQ(replaceResult, -1) << "case " << i;
        } else {
            ASSERT_EQ(readResult, 0) << "case " << i;
            ASSERT_EQ(value, match->value) << "case " << i;
            ASSERT_EQ(replaceResult, 0) << "case " << i;
            // The value's text is replaced, and every other character of the line stays.
            holder->text.replace(match->valueText.begin,
                                 match->valueText.end - match->valueText.begin,
                                 EscapeParmValue(newValue));
        }
        ASSERT_EQ(account.GetParmLineCount(), static_cast<int>(lines.size())) << "case " << i;
        for (size_t slot = 0; slot < lines.size(); ++slot) {
            ASSERT_EQ(ParmLineAt(account, static_cast<int>(slot)), lines[slot].text)
                << "case " << i << " slot " << slot;
        }
    }
}

TEST(ParmValueProperty, AnyValueComesBackIntactFromALineInTheCanonicalForm) {
    RandomText random(seed + 2);
    static constexpr std::wstring_view pieces[] = {L"&",     L"<",     L">",     L"\"",   L"'",
                                                   L"&amp;", L"&#65;", L"value", L"name", L"a"};
    for (int i = 0; i < cases; ++i) {
        AccountRecord account;
        account.AddParmLine(MakeParmLine(L"AUTHSECRET", random.Characters(12)));
        const std::wstring newValue = random.Join(pieces, 4) + random.Characters(6);
        ASSERT_EQ(account.SetParmValue(L"AUTHSECRET", newValue), 0) << "case " << i;
        std::wstring value;
        ASSERT_EQ(account.GetParmValue(L"AUTHSECRET", value), 0) << "case " << i;
        ASSERT_EQ(value, newValue) << "case " << i;
    }
}

} // namespace
