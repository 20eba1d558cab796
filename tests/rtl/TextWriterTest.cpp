#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/TextWriter.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

class TextWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }

    QTemporaryDir tmp_;
};

TEST_F(TextWriterTest, LinesEndInCrLf)
{
    rtl::TTextFileWriter writer(Path("page.html"));
    EXPECT_TRUE(writer.IsOpen());
    EXPECT_EQ(writer.FileName(), Path("page.html"));
    writer.WriteLine("<HTML>");
    writer.Write("<Title>");
    writer.Write("Caf\xC3\xA9");
    writer.WriteLine("</Title>");
    writer.WriteLine();
    writer.Write("}");
    writer.Close();
    EXPECT_FALSE(writer.IsOpen());
    writer.Close();  // closing twice is harmless

    EXPECT_EQ(rtl::ReadFileToString(Path("page.html")), "<HTML>\r\n<Title>Caf\xC3\xA9</Title>\r\n\r\n}");
}

TEST_F(TextWriterTest, LongOutputAndReopenTruncates)
{
    const std::string line(99, 'r');
    std::string expected;
    {
        rtl::TTextFileWriter writer(Path("big.html"));
        for (int i = 0; i < 5000; ++i) {
            writer.WriteLine(line);
            expected += line + "\r\n";
        }
        writer.Close();
    }
    EXPECT_EQ(rtl::ReadFileToString(Path("big.html")), expected);

    rtl::TTextFileWriter writer;
    writer.Open(Path("big.html"));
    writer.WriteLine("short");
    writer.Close();
    EXPECT_EQ(rtl::ReadFileToString(Path("big.html")), "short\r\n");
}

TEST_F(TextWriterTest, CreateFailuresRaiseCreateError)
{
    try {
        rtl::TTextFileWriter writer(Path("missing/page.html"));
        FAIL() << "no error";
    } catch (const rtl::EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + Path("missing/page.html") + "\". No such file or directory");
    }
    EXPECT_THROW(rtl::TTextFileWriter{tmp_.path().toStdString()}, rtl::EFCreateError);

    rtl::TTextFileWriter closed;
    EXPECT_THROW(closed.WriteLine("x"), rtl::EInOutError);
}

// A full device: the failure surfaces at the write that flushes, or at Close for the last
// buffered bytes; never as a silent success.
TEST(TextWriterFullDevice, EveryWayOfWritingRaises)
{
    {
        rtl::TTextFileWriter writer("/dev/full");
        writer.WriteLine("<HTML>");
        try {
            writer.Close();
            FAIL() << "Close reported success on a full device";
        } catch (const rtl::EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), ENOSPC);
            EXPECT_EQ(e.Message(), "Cannot write file \"/dev/full\". No space left on device");
        }
        EXPECT_FALSE(writer.IsOpen());
    }
    {
        rtl::TTextFileWriter writer("/dev/full");
        const std::string row(1000, 'x');
        int written = 0;
        EXPECT_THROW(
            {
                for (; written < 1000; ++written) {
                    writer.WriteLine(row);
                }
            },
            rtl::EInOutError);
        EXPECT_LT(written, 1000);  // raised at a write, long before the end
    }
    {
        // Left unclosed with bytes pending: the destructor must not throw.
        rtl::TTextFileWriter writer("/dev/full");
        writer.Write("pending");
    }
    EXPECT_THROW(rtl::WriteStringToFile("/dev/full", "x"), rtl::EInOutError);
}

// An atomic writer replaces the file only at a successful Close; every other end leaves the
// old file and no temporary beside it.
TEST_F(TextWriterTest, AtomicWriterReplacesTheFileOnlyWhenClosed)
{
    const std::string path = Path("out.txt");
    const auto files = [this] {
        return QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden).join(",").toStdString();
    };
    struct Case {
        const char* name;
        void (*end)(rtl::TTextFileWriter&);
        const char* content;
    };
    const Case cases[] = {
        {"closed", [](rtl::TTextFileWriter& w) { w.Close(); }, "new\r\n"},
        {"discarded", [](rtl::TTextFileWriter& w) { w.Discard(); }, "old"},
        {"dropped", [](rtl::TTextFileWriter&) {}, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rtl::SaveFileAtomically(path, "old");
        ::chmod(path.c_str(), 0640);
        {
            rtl::TTextFileWriter writer;
            writer.OpenAtomic(path);
            writer.WriteLine("new");
            EXPECT_NE(writer.FileName(), path);
            EXPECT_EQ(rtl::ReadFileToString(path), "old");
            c.end(writer);
        }
        EXPECT_EQ(rtl::ReadFileToString(path), c.content);
        EXPECT_EQ(files(), "out.txt");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
    }
    try {
        rtl::TTextFileWriter writer;
        writer.OpenAtomic(Path("missing/out.txt"));
        FAIL() << "a file in a missing folder was created";
    } catch (const rtl::EFCreateError& e) {
        EXPECT_NE(e.Message().find("Cannot create file \"" + Path("missing/out.txt") + "\""), std::string::npos);
    }
}

// A process killed while an atomic writer is open leaves the old file and no temporary.
TEST_F(TextWriterTest, AKilledWriterLeavesNoTemporary)
{
    const std::string path = Path("out.txt");
    rtl::SaveFileAtomically(path, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rtl::TTextFileWriter writer;
        rtl::TTextFileWriter scratch;
        writer.OpenAtomic(path);
        scratch.OpenScratch(tmp_.path().toStdString(), path);
        writer.Write(std::string(300 * 1024, 'n'));  // flushed, not closed
        scratch.Write(std::string(300 * 1024, 's'));
        ::_exit(0);  // no destructor runs, as with a kill
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(rtl::ReadFileToString(path), "old");
    EXPECT_EQ(QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden).join(",").toStdString(), "out.txt");
}

// A scratch file has no name from the start; what it holds is appended whole to another file.
TEST_F(TextWriterTest, ScratchFileIsNamelessAndAppendsWhole)
{
    const auto files = [this] { return QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden).join(",").toStdString(); };
    rtl::TTextFileWriter out(Path("out.txt"));
    out.Write("head;");
    rtl::TTextFileWriter scratch;
    scratch.OpenScratch(tmp_.path().toStdString(), Path("out.txt"));
    EXPECT_EQ(files(), "out.txt");
    const std::string big(200 * 1024 + 7, 'c');  // more than one read back
    scratch.Write(big);
    scratch.AppendTo(out);
    EXPECT_FALSE(scratch.IsOpen());
    out.Close();
    EXPECT_EQ(rtl::ReadFileToString(Path("out.txt")), "head;" + big);
    EXPECT_EQ(files(), "out.txt");
}

}  // namespace
