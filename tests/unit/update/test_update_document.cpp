// Reading the update information document: values by element name, reads in a fixed order.
#include <gtest/gtest.h>

#include "unit/update/update_fakes.h"
#include "update/update_document.h"

namespace {

UpdateOffer offerOf(const std::string& xml) {
    const auto document = UpdateDocument::parse(xml);
    EXPECT_TRUE(document) << xml;
    return document ? readUpdateOffer(*document) : UpdateOffer{};
}

}  // namespace

TEST(UpdateDocumentTest, TakesTheFirstElementOfANameAnywhere) {
    const UpdateOffer offer = offerOf(
        "<a><b><c><laikas>3600</laikas></c></b><laikas>1</laikas>"
        "<naujaVersija>5.15 &amp; beta</naujaVersija><naujaVersija>9</naujaVersija>"
        "<x failas=\"no\"/><failas>update_5.15.exe</failas></a>");
    EXPECT_EQ(offer.serviceTime, 3600);
    EXPECT_EQ(offer.fileName, "update_5.15.exe");
    EXPECT_EQ(offer.newVersion, "5.15 & beta");
}

TEST(UpdateDocumentTest, AFailedReadLeavesItselfAndTheLaterOnesUnread) {
    // No "laikas": it counts as 3600, and "failas" is not read at all.
    UpdateOffer offer = offerOf(updateDocument(nullptr, "update_5.15.exe", "5.15"));
    EXPECT_EQ(offer.serviceTime, 3600);
    EXPECT_EQ(offer.fileName, "");
    EXPECT_EQ(offer.newVersion, "");
    // An empty element has no first child to read.
    offer = offerOf("<a><laikas/><failas>update_5.15.exe</failas></a>");
    EXPECT_EQ(offer.serviceTime, 3600);
    EXPECT_EQ(offer.fileName, "");
    // A first child that is an element, not text.
    offer = offerOf(
        "<a><laikas>7200</laikas><failas><b>x</b></failas><naujaVersija>5.15"
        "</naujaVersija></a>");
    EXPECT_EQ(offer.serviceTime, 7200);
    EXPECT_EQ(offer.fileName, "");
    EXPECT_EQ(offer.newVersion, "");
    // No "naujaVersija": the file name stays.
    offer = offerOf(updateDocument("3600", "update_5.15.exe", nullptr));
    EXPECT_EQ(offer.fileName, "update_5.15.exe");
    EXPECT_EQ(offer.newVersion, "");
}

TEST(UpdateDocumentTest, ServiceTimeThatIsNoDecimalIntegerCountsAs3600AndAsRead) {
    const UpdateOffer offer = offerOf(updateDocument("abc", "update_f.exe", "1"));
    EXPECT_EQ(offer.serviceTime, 3600);
    EXPECT_EQ(offer.fileName, "update_f.exe");
    EXPECT_EQ(offerOf(updateDocument("3599", "update_f.exe", "1")).serviceTime, 3599);
}

TEST(UpdateDocumentTest, AFileNameReachingOutsideTheProgramFolderCountsAsMissing) {
    for (const char* name : {"../update_5.15.exe", "/etc/update.exe", "sub/update_5.15.exe",
                             "C:\\Windows\\update_5.15.exe", "..", "D:update.exe"}) {
        const UpdateOffer offer = offerOf(updateDocument("3600", name, "5.15"));
        EXPECT_EQ(offer.fileName, "") << name;
        EXPECT_EQ(offer.newVersion, "") << name;
    }
}

TEST(UpdateDocumentTest, AnythingButWellFormedXmlIsNoDocument) {
    for (const char* text : {"", "laikas=3600", "<a><laikas>3600</laikas>",
                             "<html><body>502 Bad Gateway<br></body></html>", "<a></a><b></b>"}) {
        EXPECT_FALSE(UpdateDocument::parse(text)) << text;
    }
}
