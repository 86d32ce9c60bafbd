#include <gtest/gtest.h>

#include "provisioning/parm_line.h"

namespace {

using Parms = std::vector<std::pair<std::wstring, std::wstring>>;

Parms NamesAndValues(const std::vector<ParmElement>& parms) {
    Parms pairs;
    for (const auto& parm : parms) {
        pairs.emplace_back(parm.name, parm.value);
    }
    return pairs;
}

TEST(ParmLineReading, FindsTheValueOfACanonicalLine) {
    const std::wstring line = L"<parm name=\"INSERVER\" value=\"pop.example\"/>";
    auto parms = ReadParmLine(line);
    ASSERT_TRUE(parms);
    EXPECT_EQ(NamesAndValues(*parms), (Parms{{L"INSERVER", L"pop.example"}}));
    const FieldBounds& value = (*parms)[0].valueText;
    EXPECT_EQ(line.substr(value.begin, value.end - value.begin), L"pop.example");
}

TEST(ParmLineReading, ReadsEveryFormThatHoldsOnlyBlanksCommentsAndParmElements) {
    struct Case {
        std::wstring line;
        Parms parms;
    };
    const Parms pop = {{L"INSERVER", L"pop"}};
    const Case cases[] = {
        {L"", {}},
        {L" \t ", {}},
        {L"<!---->", {}},
        {L"<!-- <parm name=\"INSERVER\" value=\"old\"/> -->", {}},
        {L"<parm name='INSERVER' value='pop'/>", pop},
        {L"<parm value=\"pop\" name=\"INSERVER\"/>", pop},
        {L"<parm\tname = \"INSERVER\"\tvalue= 'pop' />", pop},
        {L"<parm name=\"INSERVER\" value=\"pop\"></parm>", pop},
        {L"<parm name=\"INSERVER\" value=\"pop\"></parm\t>", pop},
        {L"<parm name=\"INSERVER\" value=\"pop\" datatype=\"string\"/>", pop},
        {L"<parm name=\"IN&#83;ERV&#x45;R\" value=\"pop\"/>", pop},
        {L" <parm name=\"OUTSERVER\" value=\"smtp\"/><!-- x --><parm name=\"INSERVER\" "
         L"value=\"pop\"/> ",
         {{L"OUTSERVER", L"smtp"}, {L"INSERVER", L"pop"}}},
        // References of any length, leading zeros included, and the five named ones.
        {L"<parm name=\"AUTHSECRET\" value=\"pa&#x0000000073;s\"/>", {{L"AUTHSECRET", L"pass"}}},
        {L"<parm name=\"X\" value=\"&#000000000000065;&#x42;&#x1F4E7;&#x10FFFF;\"/>",
         {{L"X", L"AB\U0001F4E7\U0010FFFF"}}},
        {L"<parm name=\"X\" value=\"&amp;&lt;&gt;&quot;&apos;\"/>", {{L"X", L"&<>\"'"}}},
        // The other quote and ">" stand for themselves; a blank written as such is a space.
        {L"<parm name=\"X\" value='say \"hi\" > 0'/>", {{L"X", L"say \"hi\" > 0"}}},
        {L"<parm name=\"X\" value=\"a\tb\r\nc&#9;d\"/>", {{L"X", L"a b c\td"}}},
        {L"<parm name=\"X\" value=\"\"/>", {{L"X", L""}}},
        // Attributes other than name and value, however many, are read past.
        {L"<parm a=\"1\" b=\"2\" name=\"X\" c=\"3\" d=\"4\" value=\"v\" e=\"5\"/>", {{L"X", L"v"}}},
    };
    for (const Case& test : cases) {
        auto parms = ReadParmLine(test.line);
        EXPECT_TRUE(IsParmLine(test.line)) << testing::PrintToString(test.line);
        ASSERT_TRUE(parms) << testing::PrintToString(test.line);
        EXPECT_EQ(NamesAndValues(*parms), test.parms) << testing::PrintToString(test.line);
    }
}

TEST(ParmLineReading, ReadsNoLineThatHoldsAnythingElseOrIsNotWellFormed) {
    for (const wchar_t* line :
         {// Text, and parts of elements.
          L"INSERVER", L"x", L"&amp;", L"<parm name=\"INSERVER\"",
          L"<parm name=\"INSERVER\" value=\"a\"", L"<parm name=\"INSERVER\" value=\"a\"/",
          L"<parm name=\"INSERVER\" value=\"a/>", L"<parm name=\"INSERVER\" value=\"a'/>",
          L"<parm name=INSERVER value=a/>", L"<parm name=\"INSERVER\"value=\"a\"/>",
          // Elements that are no parm with a name and a value, or hold something.
          L"<parm name=\"INSERVER\"/>", L"<parm value=\"a\"/>", L"<parm/>",
          L"<parm name=\"A\" value=\"1\" value=\"2\"/>", L"<PARM name=\"A\" value=\"1\"/>",
          L"<parmx name=\"A\" value=\"1\"/>", L"<parm name=\"A\" value=\"1\"> </parm>",
          L"<parm name=\"A\" value=\"1\"><parm name=\"B\" value=\"2\"/></parm>",
          L"<parm name=\"A\" value=\"1\"></param>", L"<parm name=\"A\" value=\"1\" xmlns=\"u\"/>",
          L"<parm name=\"A\" value=\"1\" a:b=\"c\"/>",
          // Out of the account's characteristic and into another's.
          L"</characteristic><characteristic type=\"{00000000-0000-0000-0000-000000000000}\">"
          L"<parm name=\"AUTHSECRET\" value=\"x\"/>",
          L"<parm name=\"A\" value=\"1\"/></characteristic>",
          // Comments and other markup.
          L"<!-- open", L"<!-- a -- b -->", L"<!-- a --->", L"<?pi?>", L"<![CDATA[ ]]>",
          // Values XML does not allow.
          L"<parm name=\"A\" value=\"a<b\"/>", L"<parm name=\"A\" value=\"R&D\"/>",
          L"<parm name=\"A\" value=\"&#0;\"/>", L"<parm name=\"A\" value=\"&#1;\"/>",
          L"<parm name=\"A\" value=\"&#xD800;\"/>", L"<parm name=\"A\" value=\"&#xFFFE;\"/>",
          L"<parm name=\"A\" value=\"&#x110000;\"/>",
          L"<parm name=\"A\" value=\"&#99999999999999999999;\"/>",
          L"<parm name=\"A\" value=\"&#X41;\"/>", L"<parm name=\"A\" value=\"&#;\"/>",
          L"<parm name=\"A\" value=\"&#x;\"/>", L"<parm name=\"A\" value=\"&#65\"/>",
          L"<parm name=\"A\" value=\"&nbsp;\"/>", L"<parm name=\"A\" value=\"&AMP;\"/>",
          L"<parm name=\"A\" value=\"\x01\"/>", L"<parm name=\"A\" value=\"\xD83D\"/>",
          L"<parm a=\"1\" b=\"2\" c=\"3\" d=\"4\" name=\"A\" value=\"v\" a=\"5\"/>",
          L"<parm a=\"1\" b=\"2\" c=\"3\" name=\"A\" value=\"v\" e=\"5\" e=\"6\"/>"}) {
        EXPECT_FALSE(ReadParmLine(line)) << testing::PrintToString(std::wstring(line));
        EXPECT_FALSE(IsParmLine(line)) << testing::PrintToString(std::wstring(line));
    }
}

TEST(ParmValueText, EscapesTheFiveXmlCharacters) {
    EXPECT_EQ(EscapeParmValue(L"a&b<c>d\"e'f"), L"a&amp;b&lt;c&gt;d&quot;e&apos;f");
    EXPECT_EQ(EscapeParmValue(L"plain \U0001F4E7 text"), L"plain \U0001F4E7 text");
    EXPECT_EQ(EscapeParmValue(L"&amp;"), L"&amp;amp;");
}

TEST(ParmValueText, RoundTripsAnyValue) {
    for (const wchar_t* value : {L"", L"p@ss&w<o>rd\"'", L"&amp;", L"&#38;", L"\U0001F4E7 ü",
                                 L"&&&;;;<<>>\"\"''", L"\ta\r\nb "}) {
        const std::wstring line = MakeParmLine(L"AUTHSECRET", value);
        EXPECT_EQ(FindParmValue(std::span(&line, 1), L"AUTHSECRET"), value);
    }
}

TEST(NewParmLines, AreBuiltFromThePrefixTheEscapedValueAndTheSuffix) {
    EXPECT_EQ(ParmLinePrefix(L"SMTPALTDOMAIN"), L"<parm name=\"SMTPALTDOMAIN\" value=\"");
    EXPECT_EQ(MakeParmLine(L"INSERVER", L"in1"), L"<parm name=\"INSERVER\" value=\"in1\"/>");
    EXPECT_EQ(MakeParmLine(L"AUTHSECRET", L"a\"b&c"),
              L"<parm name=\"AUTHSECRET\" value=\"a&quot;b&amp;c\"/>");
}

TEST(ParmLinesByName, PassOverLinesThatAreNotReadAndCommentsAlike) {
    std::vector<std::wstring> lines = {
        L"<parm name=\"INSERVER\" value=\"earlier\"/>",
        L"<!-- <parm name=\"INSERVER\" value=\"old\"/> --><parm name='INSERVER' value='new'/>",
        L"<parm name=\"INSERVER\" value=\"R&D\"/>"};
    // The last element of the name that a line read as XML holds; the handset keeps that one.
    EXPECT_EQ(FindParmValue(lines, L"INSERVER"), L"new");
    EXPECT_TRUE(ReplaceParmValue(lines, L"INSERVER", L"it's"));
    EXPECT_EQ(lines[1], L"<!-- <parm name=\"INSERVER\" value=\"old\"/> --><parm name='INSERVER' "
                        L"value='it&apos;s'/>");
    EXPECT_EQ(lines[0], L"<parm name=\"INSERVER\" value=\"earlier\"/>");
    EXPECT_EQ(lines[2], L"<parm name=\"INSERVER\" value=\"R&D\"/>");
    EXPECT_EQ(FindParmValue(lines, L"OUTSERVER"), std::nullopt);
    EXPECT_FALSE(ReplaceParmValue(lines, L"OUTSERVER", L"x"));
}

} // namespace
