#include "isaf/xml_text.h"

#include <gtest/gtest.h>

#include "run/saved_message.h"

TEST(XmlText, EscapesMarkupOnceAndKeepsEverythingElse) {
    EXPECT_EQ(xmlText("A & B"), "A &amp; B");
    EXPECT_EQ(xmlText("X &amp; Y"), "X &amp;amp; Y");
    EXPECT_EQ(xmlText("SF<1>&2"), "SF&lt;1&gt;&amp;2");
    EXPECT_EQ(xmlText("\"Ąžuolas\" 'Ūkis'\tA\r\nB"), "\"Ąžuolas\" 'Ūkis'\tA\r\nB");
    EXPECT_EQ(xmlText("€ 😀"), "€ 😀");
    EXPECT_EQ(xmlText(""), "");
}

TEST(XmlText, DropsWhatXmlForbids) {
    EXPECT_EQ(xmlText("1\x01"
                      "2\x1F"
                      "3\x7F"),
              "123\x7F");
    EXPECT_EQ(xmlText(std::string("a\0b", 3)), "ab");
    EXPECT_EQ(xmlText("a\xEF\xBF\xBE"
                      "b\xEF\xBF\xBF"
                      "c"),
              "abc");  // U+FFFE, U+FFFF
    EXPECT_EQ(xmlText("a\xFF"
                      "b\xC3"
                      "c\xED\xA0\x80"
                      "d\xC0\xAF"),
              "abcd");                     // not UTF-8
    EXPECT_EQ(xmlText("ą\xE2\x82"), "ą");  // cut short at the end
}

TEST(XmlText, FirstCharactersCountsLettersNotBytes) {
    EXPECT_EQ(firstCharacters("ąčęėįšųūž", 3), "ąčę");
    EXPECT_EQ(firstCharacters("1.0", 24), "1.0");
    EXPECT_EQ(firstCharacters("abc", 0), "");
}

TEST(SavedMessage, LeadInThenPathWrappedAt45Columns) {
    const std::string shortPath = "/opt/kolvira/rinkmenos/Kolvira_123456789_202401_SANDELIS1.xml";
    EXPECT_EQ(savedMessageText(shortPath), "Failas išsaugotas šituo keliu: \n\r\n\r" + shortPath);

    // The 45th character is the "r" of "folder": the line ends after the last space before it.
    const std::string spaced = "C:/Program Files/Kolvira app/rinkmenos/folder x/Kolvira_1.xml";
    EXPECT_EQ(wrapAt45Columns(spaced),
              "C:/Program Files/Kolvira \r\napp/rinkmenos/folder x/Kolvira_1.xml");

    // Hyphens break too; the count is in characters, so Lithuanian letters weigh one each.
    const std::string lithuanian =
        "/home/ąžuolė/dokumentai-2024/šiaurės-rytų/apskaita/rinkmenos/a.xml";
    EXPECT_EQ(wrapAt45Columns(lithuanian),
              "/home/ąžuolė/dokumentai-2024/šiaurės-\r\nrytų/apskaita/rinkmenos/a.xml");

    // No break inside quotes, nor at a line's first character.
    const std::string quoted = "/data/'a very long quoted folder name with spaces'/x/y/z.xml";
    EXPECT_EQ(wrapAt45Columns(quoted),
              "/data/'a very long quoted folder name with spaces'/x/y/z.xml");
    EXPECT_EQ(wrapAt45Columns(" " + std::string(50, 'a')), " " + std::string(50, 'a'));

    // A long stretch after a break keeps growing until the next break character.
    const std::string twoBreaks = std::string(10, 'a') + " " + std::string(50, 'b') + " c";
    EXPECT_EQ(wrapAt45Columns(twoBreaks),
              std::string(10, 'a') + " \r\n" + std::string(50, 'b') + " \r\nc");
    // A break character at the very end adds no empty line.
    EXPECT_EQ(wrapAt45Columns(std::string(44, 'a') + " "), std::string(44, 'a') + " ");
}
