#include <gtest/gtest.h>

#include "provisioning/parm_line.h"

namespace {

TEST(FieldLocation, FindsTheFieldsOfACanonicalLine) {
    const std::wstring line = L"<parm name=\"INSERVER\" value=\"pop.example\"/>";
    EXPECT_EQ(FieldText(line, L"name"), L"INSERVER");
    EXPECT_EQ(FieldText(line, L"value"), L"pop.example");
    EXPECT_EQ(FieldText(L"<parm name=\"INSERVER\" value=\"\"/>", L"value"), L"");
}

TEST(FieldLocation, GivesLinesOutsideTheFormAFieldToo) {
    // No marker: the text before the first quote, or the whole line.
    EXPECT_EQ(FieldText(L"INSERVER", L"name"), L"INSERVER");
    EXPECT_EQ(FieldText(L"INSERVER\"rest", L"name"), L"INSERVER");
    EXPECT_EQ(FieldText(L"", L"name"), L"");
    // A marker with one quote after it and no second one: the rest of the line.
    EXPECT_EQ(FieldText(L"<parm name=\"INSERVER", L"name"), L"INSERVER");
    // A marker without any quote after it: from the start of the line to its first quote.
    EXPECT_EQ(FieldText(L"a\"b name=x", L"name"), L"a");
    // Both markers are searched from the start of the line, so "value" may come first...
    EXPECT_EQ(FieldText(L"<parm value=\"v\" name=\"n\"/>", L"value"), L"v");
    EXPECT_EQ(FieldText(L"<parm value=\"v\" name=\"n\"/>", L"name"), L"n");
    // ...and the first occurrence counts, wherever it is: here the quote after it is the one
    // that closes the name.
    EXPECT_EQ(FieldText(L"<parm name=\"valueless\" value=\"v\"/>", L"value"), L" value=");
    // The search is case-sensitive.
    EXPECT_EQ(FieldText(L"<parm NAME=\"a\" name=\"b\"/>", L"name"), L"b");
}

TEST(FieldLocation, BoundsMatchTheText) {
    const std::wstring line = L"<parm name=\"X\" value=\"abc\"/>";
    FieldBounds value = LocateField(line, L"value");
    EXPECT_EQ(line.substr(value.begin, value.end - value.begin), L"abc");
    EXPECT_EQ(line[value.begin - 1], L'"');
    EXPECT_EQ(line[value.end], L'"');
}

TEST(ParmValueText, EscapesTheFiveXmlCharacters) {
    EXPECT_EQ(EscapeParmValue(L"a&b<c>d\"e'f"), L"a&amp;b&lt;c&gt;d&quot;e&apos;f");
    EXPECT_EQ(EscapeParmValue(L"plain \U0001F4E7 text"), L"plain \U0001F4E7 text");
    EXPECT_EQ(EscapeParmValue(L"&amp;"), L"&amp;amp;");
}

TEST(ParmValueText, UnescapesEntitiesAndKeepsWhatIsNoEntity) {
    EXPECT_EQ(UnescapeParmValue(L"a&amp;b&lt;c&gt;d&quot;e&apos;f"), L"a&b<c>d\"e'f");
    EXPECT_EQ(UnescapeParmValue(L"&#65;&#x42;&#x1F4E7;"), L"AB\U0001F4E7");
    for (const wchar_t* asItStands :
         {L"a&b", L"&", L"&;", L"&amp", L"&AMP;", L"&#;", L"&#x;", L"&#xZZ;", L"&#0;", L"&#xD800;",
          L"&#x110000;", L"&#99999999999999999999;", L"&nbsp;", L"R&D; x"}) {
        EXPECT_EQ(UnescapeParmValue(asItStands), asItStands);
    }
    EXPECT_EQ(UnescapeParmValue(L"&&amp;;"), L"&&;");
}

TEST(ParmValueText, RoundTripsAnyValue) {
    for (const wchar_t* value :
         {L"", L"p@ss&w<o>rd\"'", L"&amp;", L"&#38;", L"\U0001F4E7 ü", L"&&&;;;<<>>\"\"''"}) {
        EXPECT_EQ(UnescapeParmValue(EscapeParmValue(value)), value);
    }
}

TEST(NewParmLines, AreBuiltFromThePrefixTheEscapedValueAndTheSuffix) {
    EXPECT_EQ(ParmLinePrefix(L"SMTPALTDOMAIN"), L"<parm name=\"SMTPALTDOMAIN\" value=\"");
    EXPECT_EQ(MakeParmLine(L"INSERVER", L"in1"), L"<parm name=\"INSERVER\" value=\"in1\"/>");
    EXPECT_EQ(MakeParmLine(L"AUTHSECRET", L"a\"b&c"),
              L"<parm name=\"AUTHSECRET\" value=\"a&quot;b&amp;c\"/>");
}

} // namespace
