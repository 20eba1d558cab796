#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/TextWriter.h"

#include <QTemporaryDir>

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

}  // namespace
