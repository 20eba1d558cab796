// A set of files replaced as a whole: nothing of the earlier files changes until Commit, a set
// given up (by an error, or by a write the disk refuses) leaves them byte for byte and no
// temporary file behind, and Commit refuses before moving anything when a target is a folder.

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileSet.h"
#include "platform/rtl/Files.h"
#include "tests/rtl/FailingSaves.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

class FileSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp_.isValid());
        rtl::WriteStringToFile(Path("a.html"), "old a");
        rtl::WriteStringToFile(Path("b.html"), "old b");
    }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }
    Names Listing() const { return rtl::ListDirectory(tmp_.path().toStdString()); }

    QTemporaryDir tmp_;
};

TEST_F(FileSetTest, NothingChangesBeforeCommitAndCommitReplacesEveryFile)
{
    ASSERT_EQ(::chmod(Path("b.html").c_str(), 0640), 0);
    rtl::TFileSetTransaction set;
    set.Create(Path("a.html")).Write("new a");
    set.ForceFolder(Path("images"));
    set.Create(Path("images/p.gif")).Write("GIF89a");
    rtl::TTextFileWriter& b = set.Create(Path("b.html"));
    b.Write("new b");
    b.Close();
    EXPECT_EQ(rtl::ReadFileToString(Path("a.html")), "old a");
    EXPECT_EQ(rtl::ReadFileToString(Path("b.html")), "old b");
    EXPECT_FALSE(rtl::FileExists(Path("images/p.gif")));

    set.Commit();
    EXPECT_EQ(rtl::ReadFileToString(Path("a.html")), "new a");
    EXPECT_EQ(rtl::ReadFileToString(Path("b.html")), "new b");
    EXPECT_EQ(rtl::ReadFileToString(Path("images/p.gif")), "GIF89a");
    EXPECT_EQ(Listing(), (Names{"a.html", "b.html", "images"}));
    EXPECT_EQ(rtl::ListDirectory(Path("images")), (Names{"p.gif"}));
    // A file replaced keeps the permissions it had.
    struct stat st {};
    ASSERT_EQ(::stat(Path("b.html").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// The ways a set ends without Commit: an error while it is written, a write past a file-size
// limit, a close that meets it. The earlier files stay as they were, the temporary files and
// the folder the set made go, and the error names the target, not its temporary file.
TEST_F(FileSetTest, ASetGivenUpLeavesTheEarlierFilesAndNoTemporaryFile)
{
    struct Case {
        const char* name;
        std::size_t bytes;  // written into b.html's new content
        bool raise;         // the writer raises an error of its own after b.html
    };
    const Case cases[] = {
        {"an error after the files were written", 10, true},
        {"a write past the limit", 1 << 20, false},
        {"the last bytes past the limit, met at Commit", 6000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string report = gwtest::WithFileSizeLimit(4096, [&] {
            try {
                rtl::TFileSetTransaction set;
                set.Create(Path("a.html")).Write("new a");
                set.ForceFolder(Path("images"));
                set.Create(Path("images/p.gif")).Write("GIF89a");
                set.Create(Path("b.html")).Write(std::string(c.bytes, 'b'));
                if (c.raise) throw rtl::EInOutError("stopped");
                set.Commit();
                return std::string("committed");
            } catch (const rtl::Exception& e) {
                return e.Message();
            }
        });
        if (c.raise)
            EXPECT_EQ(report, "stopped");
        else
            EXPECT_EQ(report, "Cannot write file \"" + Path("b.html") + "\". File too large");
        EXPECT_EQ(rtl::ReadFileToString(Path("a.html")), "old a");
        EXPECT_EQ(rtl::ReadFileToString(Path("b.html")), "old b");
        EXPECT_EQ(Listing(), (Names{"a.html", "b.html"}));
    }
}

TEST_F(FileSetTest, ATargetThatIsAFolderStopsCommitBeforeAnythingMoves)
{
    ASSERT_TRUE(rtl::CreateDir(Path("c.html")));
    try {
        rtl::TFileSetTransaction set;
        set.Create(Path("a.html")).Write("new a");
        set.Create(Path("c.html")).Write("new c");
        set.Commit();
        ADD_FAILURE() << "committed";
    } catch (const rtl::EInOutError& e) {
        EXPECT_EQ(e.Message(), "Cannot save file \"" + Path("c.html") + "\". Is a directory");
    }
    EXPECT_EQ(rtl::ReadFileToString(Path("a.html")), "old a");
    EXPECT_EQ(Listing(), (Names{"a.html", "b.html", "c.html"}));
}

}  // namespace
