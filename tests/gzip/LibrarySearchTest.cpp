// With no gzip.dll beside this program, the library is found through the system's library
// search (this program's run path names the directory of the built library).
#include "GzipFixtures.h"
#include "gzip/GunzipBody.h"
#include "values/Files.h"
#include "values/Values.h"

#include <gtest/gtest.h>

TEST(LibrarySearch, FindsTheLibraryWhenNoneIsBesideTheProgram) {
    ASSERT_FALSE(FileExists(ConcatText(RunDirectory(), "/gzip.dll")));
    std::string content = HtmlLikeText(50'000);
    EXPECT_TRUE(GunzipBody(Bytes(GzipMember(content))).View() == content);
}
