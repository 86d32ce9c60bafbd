// Field location and by-name access over many seeded random lines, against a small model written
// from the rules, one character at a time, rather than from the library searches the code uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "accounts/account_record.h"
#include "provisioning/parm_line.h"
#include "tests/support/random_text.h"

namespace {

using testing_support::RandomText;

constexpr uint32_t seed = 20261207;
constexpr int cases = 10000;

// The first position at or after from where text holds wanted, or nothing.
std::optional<size_t> ModelSearch(std::wstring_view text, std::wstring_view wanted, size_t from) {
    for (size_t at = from; at + wanted.size() <= text.size(); ++at) {
        size_t matched = 0;
        while (matched < wanted.size() && text[at + matched] == wanted[matched]) {
            ++matched;
        }
        if (matched == wanted.size()) {
            return at;
        }
    }
    return std::nullopt;
}

// The rules: the marker's first occurrence; the first quote at or after it opens the field; the
// next quote closes it. A search that starts at nothing finds nothing; right after nothing is
// the start of the line; a field that ends at nothing runs to the end.
FieldBounds ModelField(std::wstring_view line, std::wstring_view marker) {
    std::optional<size_t> markerAt = ModelSearch(line, marker, 0);
    std::optional<size_t> opening = markerAt ? ModelSearch(line, L"\"", *markerAt) : std::nullopt;
    size_t begin = opening ? *opening + 1 : 0;
    std::optional<size_t> closing = ModelSearch(line, L"\"", begin);
    return {begin, closing ? *closing : line.size()};
}

std::wstring ModelText(std::wstring_view line, std::wstring_view marker) {
    FieldBounds field = ModelField(line, marker);
    return std::wstring(line.substr(field.begin, field.end - field.begin));
}

// Lines built from the pieces that steer field location: markers, near-markers, quotes and
// entities, with ordinary text in between.
std::wstring RandomLine(RandomText& random) {
    static constexpr std::wstring_view pieces[] = {
        L"<parm ", L"name", L"value",     L"=",   L"\"",   L"\"",
        L" ",      L"/>",   L"INSERVER",  L"nam", L"valu", L"namevalue",
        L"&amp;",  L"&",    L"&#x1F511;", L"x",   L"é",    L"\U0001F4E7"};
    return random.Join(pieces, 9);
}

std::wstring CanonicalLine(RandomText& random, std::wstring_view name) {
    return MakeParmLine(name, random.Characters(12));
}

TEST(FieldLocationProperty, AgreesWithTheRulesOnAnyLine) {
    RandomText random(seed);
    for (int i = 0; i < cases; ++i) {
        const std::wstring line = RandomLine(random);
        for (const char* marker : {"name", "value"}) {
            const std::wstring wideMarker(marker, marker + std::char_traits<char>::length(marker));
            FieldBounds found = LocateField(line, wideMarker);
            FieldBounds expected = ModelField(line, wideMarker);
            ASSERT_EQ(found.begin, expected.begin) << "case " << i << ", marker " << marker;
            ASSERT_EQ(found.end, expected.end) << "case " << i << ", marker " << marker;
        }
    }
}

TEST(ParmValueProperty, ReadsAndReplacesTheFirstMatchingLineByTheRules) {
    static constexpr std::wstring_view names[] = {L"INSERVER", L"OUTSERVER", L"nam", L""};
    RandomText random(seed + 1);
    for (int i = 0; i < cases; ++i) {
        AccountRecord account;
        std::vector<std::wstring> lines;
        for (size_t count = random.Between(0, 4); count > 0; --count) {
            lines.push_back(random.OneIn(2) ? RandomLine(random)
                                            : CanonicalLine(random, names[random.Between(0, 3)]));
            account.AddParmLine(lines.back());
        }
        const std::wstring name(names[random.Between(0, 3)]);
        const std::wstring newValue = random.Characters(8);

        auto matching = std::find_if(lines.begin(), lines.end(), [&](const std::wstring& line) {
            return ModelText(line, L"name") == name;
        });
        std::wstring value = L"left over";
        int read = account.GetParmValue(name, value);
        if (matching == lines.end()) {
            ASSERT_EQ(read, -1) << "case " << i;
            ASSERT_EQ(value, L"") << "case " << i;
            ASSERT_EQ(account.SetParmValue(name, newValue), -1) << "case " << i;
        } else {
            ASSERT_EQ(read, 0) << "case " << i;
            ASSERT_EQ(value, UnescapeParmValue(ModelText(*matching, L"value"))) << "case " << i;
            ASSERT_EQ(account.SetParmValue(name, newValue), 0) << "case " << i;
            // The value field is replaced in place; a line without one is written afresh.
            const std::wstring& old = *matching;
            std::optional<size_t> markerAt = ModelSearch(old, L"value", 0);
            std::optional<size_t> opening =
                markerAt ? ModelSearch(old, L"\"", *markerAt) : std::nullopt;
            if (opening && ModelSearch(old, L"\"", *opening + 1)) {
                FieldBounds field = ModelField(old, L"value");
                *matching =
                    old.substr(0, field.begin) + EscapeParmValue(newValue) + old.substr(field.end);
            } else {
                *matching = MakeParmLine(name, newValue);
            }
        }
        ASSERT_EQ(account.GetParmLineCount(), static_cast<int>(lines.size())) << "case " << i;
        for (size_t slot = 0; slot < lines.size(); ++slot) {
            ASSERT_EQ(account.GetParmLine(static_cast<int>(slot)), lines[slot])
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
        account.AddParmLine(CanonicalLine(random, L"AUTHSECRET"));
        const std::wstring newValue = random.Join(pieces, 4) + random.Characters(6);
        ASSERT_EQ(account.SetParmValue(L"AUTHSECRET", newValue), 0) << "case " << i;
        std::wstring value;
        ASSERT_EQ(account.GetParmValue(L"AUTHSECRET", value), 0) << "case " << i;
        ASSERT_EQ(value, newValue) << "case " << i;
    }
}

} // namespace
