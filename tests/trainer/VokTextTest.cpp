#include <gtest/gtest.h>

#include "VokText.h"
#include "Win1252.h"

using namespace vok;

TEST(IsBlankText, EmptySpacesAndControlsAreBlankLettersAreNot) {
  EXPECT_TRUE(IsBlankText(""));
  EXPECT_TRUE(IsBlankText("   "));
  EXPECT_TRUE(IsBlankText("\r\n\r\n\r\n"));
  EXPECT_TRUE(IsBlankText(" \t\x01"));
  EXPECT_FALSE(IsBlankText("y"));
  EXPECT_FALSE(IsBlankText(A("à")));
  EXPECT_FALSE(IsBlankText("  !  "));
}

TEST(NormalizeCell, TidiesSpacesAndSlashes) {
  EXPECT_EQ(Normalized("/ a  //  b /"), "a/b");
  EXPECT_EQ(Normalized("  le chat /  la chatte / "), "le chat/la chatte");
  EXPECT_EQ(Normalized(" "), "");
  EXPECT_EQ(Normalized("a b"), "a b");
  EXPECT_EQ(Normalized("a / b"), "a/b");
  EXPECT_EQ(Normalized("a /b"), "a/b");
  EXPECT_EQ(Normalized("a/ b"), "a/b");
  EXPECT_EQ(Normalized("///"), "");
  EXPECT_EQ(Normalized("a   b"), "a b");
  EXPECT_EQ(Normalized("chat//"), "chat");
}

TEST(NormalizeCell, LeavesTabsAndControlCharacters) {
  EXPECT_EQ(Normalized("a\tb"), "a\tb");
  EXPECT_EQ(Normalized("\ta"), "\ta");
}

TEST(NormalizeCell, IsIdempotent) {
  for (const char* s : {"/ a  //  b /", " x / y /z  ", "a \t/ b", "  /  "}) {
    const std::string once = Normalized(s);
    EXPECT_EQ(Normalized(once), once) << s;
  }
}

TEST(FoldAccents, FoldsTheFrenchLettersOnly) {
  EXPECT_EQ(FoldAccents(A("cœur")), "coeur");
  EXPECT_EQ(FoldAccents(A("âge")), A("âge"));
  EXPECT_EQ(FoldAccents(A("àçèéêëîïôù")), "aceeeeiiou");
  EXPECT_EQ(FoldAccents(A("ÇÉÀäöüßû")), A("ÇÉÀäöüßû"));
  EXPECT_EQ(FoldAccents(A("école")), "ecole");
}
