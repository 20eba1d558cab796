#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "tests/rtl/FailingSaves.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }

    QTemporaryDir tmp_;
};

struct PathParts {
    const char* path;
    const char* folder;
    const char* name;
    const char* ext;
};

TEST(FilePathParts, SplitTable)
{
    const PathParts cases[] = {
        {"a/b/c.txt", "a/b/", "c.txt", ".txt"},
        {"c.txt", "", "c.txt", ".txt"},
        {"/abs/dir/", "/abs/dir/", "", ""},
        {"a.d/file", "a.d/", "file", ""},  // a dot in a folder name is no extension
        {"x/archive.tar.gz", "x/", "archive.tar.gz", ".gz"},
        {"x/.hidden", "x/", ".hidden", ".hidden"},
        {"name.", "", "name.", "."},
        {"", "", "", ""},
        {"/", "/", "", ""},
        {"Donn\xC3\xA9" "es/\xC3\x9C" "bersicht.gwp", "Donn\xC3\xA9" "es/", "\xC3\x9C" "bersicht.gwp", ".gwp"},
    };
    for (const PathParts& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(rtl::ExtractFilePath(c.path), c.folder);
        EXPECT_EQ(rtl::ExtractFileName(c.path), c.name);
        EXPECT_EQ(rtl::ExtractFileExt(c.path), c.ext);
        EXPECT_EQ(rtl::ExtractFilePath(c.path) + rtl::ExtractFileName(c.path), c.path);
    }
}

TEST(FilePathParts, ChangeExtensionAndDelimiters)
{
    const struct {
        const char* path;
        const char* ext;
        const char* expected;
    } changes[] = {
        {"out/page.html", ".css", "out/page.css"},
        {"out/page", ".css", "out/page.css"},
        {"out.d/page", ".css", "out.d/page.css"},
        {"a/b.tar.gz", "", "a/b.tar"},
        {"Sales.udl", "", "Sales"},
    };
    for (const auto& c : changes) {
        EXPECT_EQ(rtl::ChangeFileExt(c.path, c.ext), c.expected) << c.path << " " << c.ext;
    }

    const struct {
        const char* path;
        const char* included;
        const char* excluded;
    } delimiters[] = {
        {"", "", ""},  // never becomes the root folder
        {"a", "a/", "a"},
        {"a/", "a/", "a"},
        {"/", "/", "/"},
        {"a//", "a//", "a/"},
    };
    for (const auto& c : delimiters) {
        EXPECT_EQ(rtl::IncludeTrailingPathDelimiter(c.path), c.included) << c.path;
        EXPECT_EQ(rtl::ExcludeTrailingPathDelimiter(c.path), c.excluded) << c.path;
    }
}

TEST(FileMasks, MatchTable)
{
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"Sales.udl", "*.udl", true},
        {"SALES.UDL", "*.udl", true},
        {"Sales.udlx", "*.udl", false},
        {"Sales.udl.bak", "*.udl", false},
        {"abc", "a?c", true},
        {"a\xC3\xA9" "c", "a?c", true},  // "?" is one character, not one byte
        {"ac", "a?c", false},
        {"", "*", true},
        {"no-dot", "*.*", true},
        {"abcbcd", "a*bcd", true},
        {"abx", "a*b", false},
        {"style1", "style*", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rtl::MatchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
    }
}

TEST_F(FilesTest, ListingFiltersByKindAndMaskAndSorts)
{
    for (const char* file : {"b.htf", "a.htf", "C.HTF", "notes.txt", ".hidden"}) {
        rtl::WriteStringToFile(Path(file), "x");
    }
    for (const char* folder : {"sub1", "sub0.htf"}) {
        ASSERT_TRUE(rtl::CreateDir(Path(folder)));
    }
    const std::string dir = tmp_.path().toStdString();

    EXPECT_EQ(rtl::ListDirectory(dir, "*", rtl::TListFilter::Folders), (Names{"sub0.htf", "sub1"}));
    EXPECT_EQ(rtl::ListDirectory(dir, "*.htf", rtl::TListFilter::Files), (Names{"C.HTF", "a.htf", "b.htf"}));
    EXPECT_EQ(rtl::ListDirectory(dir + "/", "*.htf"), (Names{"C.HTF", "a.htf", "b.htf", "sub0.htf"}));
    EXPECT_EQ(rtl::ListDirectory(dir).size(), 7u);  // "." and ".." never listed
    EXPECT_TRUE(rtl::ListDirectory(Path("missing")).empty());
    EXPECT_TRUE(rtl::ListDirectory(Path("notes.txt")).empty());
}

TEST_F(FilesTest, ExistsCreateDeleteAndRemove)
{
    rtl::WriteStringToFile(Path("file"), "x");
    EXPECT_TRUE(rtl::FileExists(Path("file")));
    EXPECT_FALSE(rtl::DirectoryExists(Path("file")));
    EXPECT_FALSE(rtl::FileExists(tmp_.path().toStdString()));
    EXPECT_TRUE(rtl::DirectoryExists(tmp_.path().toStdString() + "/"));
    EXPECT_FALSE(rtl::FileExists(""));
    EXPECT_FALSE(rtl::DirectoryExists(""));

    EXPECT_TRUE(rtl::ForceDirectories(Path("a/b/c/")));
    EXPECT_TRUE(rtl::DirectoryExists(Path("a/b/c")));
    EXPECT_TRUE(rtl::ForceDirectories(Path("a/b/c")));  // already there
    EXPECT_FALSE(rtl::ForceDirectories(Path("file/sub")));
    EXPECT_FALSE(rtl::ForceDirectories(""));

    EXPECT_FALSE(rtl::CreateDir(Path("x/y")));  // one level only
    EXPECT_TRUE(rtl::CreateDir(Path("x")));
    EXPECT_FALSE(rtl::CreateDir(Path("x")));

    EXPECT_FALSE(rtl::DeleteFile(Path("x")));  // folders are not files
    EXPECT_TRUE(rtl::DirectoryExists(Path("x")));
    EXPECT_TRUE(rtl::DeleteFile(Path("file")));
    EXPECT_FALSE(rtl::FileExists(Path("file")));
    EXPECT_FALSE(rtl::DeleteFile(Path("file")));
}

TEST_F(FilesTest, CopyHonoursOverwriteFlag)
{
    rtl::WriteStringToFile(Path("from"), "new content");
    rtl::WriteStringToFile(Path("to"), "user content");

    EXPECT_FALSE(rtl::CopyFile(Path("from"), Path("to"), false));
    EXPECT_EQ(rtl::ReadFileToString(Path("to")), "user content");
    EXPECT_TRUE(rtl::CopyFile(Path("from"), Path("to"), true));
    EXPECT_EQ(rtl::ReadFileToString(Path("to")), "new content");
    EXPECT_TRUE(rtl::CopyFile(Path("from"), Path("fresh"), false));
    EXPECT_EQ(rtl::ReadFileToString(Path("fresh")), "new content");

    EXPECT_FALSE(rtl::CopyFile(Path("missing"), Path("x"), true));
    EXPECT_FALSE(rtl::CopyFile(tmp_.path().toStdString(), Path("x"), true));
    EXPECT_FALSE(rtl::FileExists(Path("x")));
    // Copying a file onto itself must not empty it.
    EXPECT_FALSE(rtl::CopyFile(Path("from"), Path("from"), true));
    EXPECT_EQ(rtl::ReadFileToString(Path("from")), "new content");
}

TEST_F(FilesTest, WholeFileReadAndWrite)
{
    const std::string bytes("line 1\r\nline 2\0with nul\xFF", 24);
    rtl::WriteStringToFile(Path("data.bin"), bytes);
    EXPECT_EQ(rtl::ReadFileToString(Path("data.bin")), bytes);
    rtl::WriteStringToFile(Path("data.bin"), "short");
    EXPECT_EQ(rtl::ReadFileToString(Path("data.bin")), "short");
    rtl::WriteStringToFile(Path("empty"), "");
    EXPECT_EQ(rtl::ReadFileToString(Path("empty")), "");

    try {
        rtl::ReadFileToString(Path("missing.gwp"));
        FAIL() << "no error";
    } catch (const rtl::EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + Path("missing.gwp") + "\". No such file or directory");
    }
    EXPECT_THROW(rtl::ReadFileToString(tmp_.path().toStdString()), rtl::EFOpenError);
    EXPECT_THROW(rtl::WriteStringToFile(Path("no/such/folder.txt"), "x"), rtl::EFCreateError);
}

TEST_F(FilesTest, WholeFileReadUpToABound)
{
    // A file, a sparse giant and an endless device, each read up to a bound.
    rtl::WriteStringToFile(Path("ten"), "0123456789");
    rtl::WriteStringToFile(Path("giant"), "");
    std::filesystem::resize_file(Path("giant"), std::uintmax_t{1} << 40);  // a terabyte that takes no disk
    struct Case {
        std::string path;
        std::size_t maxBytes;
        std::string report;  // the bytes, or the error
    };
    const std::string tooLarge = "\". File too large (more than ";
    const Case cases[] = {
        {Path("ten"), 10, "0123456789"},
        {Path("ten"), 9, "Cannot read file \"" + Path("ten") + tooLarge + "9 bytes)"},
        {Path("giant"), std::size_t{1} << 20, "Cannot read file \"" + Path("giant") + tooLarge + "1048576 bytes)"},
        {"/dev/zero", 100000, "Cannot read file \"/dev/zero" + tooLarge + "100000 bytes)"},
    };
    for (const Case& c : cases) {
        std::string report;
        try {
            report = rtl::ReadFileToString(c.path, c.maxBytes);
        } catch (const rtl::EInOutError& e) {
            report = e.Message();
            EXPECT_EQ(e.ErrorCode(), EFBIG);
        }
        EXPECT_EQ(report, c.report) << c.path;
    }
}

TEST_F(FilesTest, AtomicSaveReplacesWholeFile)
{
    rtl::WriteStringToFile(Path("doc.gwp"), "old and longer content");
    rtl::SaveFileAtomically(Path("doc.gwp"), "new");
    EXPECT_EQ(rtl::ReadFileToString(Path("doc.gwp")), "new");
    EXPECT_EQ(rtl::ListDirectory(tmp_.path().toStdString()), (Names{"doc.gwp"}));

    rtl::SaveFileAtomically(Path("created.gwp"), "first");
    EXPECT_EQ(rtl::ReadFileToString(Path("created.gwp")), "first");
}

// The save is cut off after its temporary file has been begun: a file-size limit makes the
// write fail part of the way through. The old file must be untouched and no temporary file
// may be left behind.
TEST_F(FilesTest, AtomicSaveFailingHalfWayKeepsOldFile)
{
    const std::string target = Path("doc.gwp");
    const std::string old = "the project as it was\r\n";
    rtl::WriteStringToFile(target, old);

    // Runs in a child process, so that the limit does not outlive it.
    const auto saveUnderSizeLimit = [&target] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            rtl::SaveFileAtomically(target, std::string(1 << 20, 'n'));
        } catch (const rtl::EInOutError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            _exit(7);
        }
        _exit(1);
    };
    EXPECT_EXIT(saveUnderSizeLimit(),
        ::testing::ExitedWithCode(7), "File too large");

    EXPECT_EQ(rtl::ReadFileToString(target), old);
    EXPECT_EQ(rtl::ListDirectory(tmp_.path().toStdString()), (Names{"doc.gwp"}));
}

// The sizes of the files users have most of (settings, data links, colour schemes) and a few
// around the sizes of write buffers: the last part of a small save is what a buffered writer
// holds back until the end.
const std::size_t kSaveSizes[] = {1, 2, 100, 4095, 4096, 4097, 16383, 16384, 16385, 20000, 65536, 102400};

// How a save in a child process ended.
std::string TrySave(const std::string& path, const std::string& data)
{
    try {
        rtl::SaveFileAtomically(path, data);
        return "saved";
    } catch (const rtl::EInOutError& e) {
        return e.ErrorCode() != 0 ? "raised" : "raised without a system error code";
    } catch (const rtl::Exception& e) {
        return "raised " + e.Message();
    }
}

TEST_F(FilesTest, AtomicSaveOfAnySizeThatHitsAFileSizeLimitRaisesAndKeepsOldFile)
{
    const std::string target = Path("doc.gwp");
    const std::string old = "the settings as they were\r\n";
    rtl::WriteStringToFile(target, old);
    for (const std::size_t size : kSaveSizes) {
        for (const rlim_t limit : {rlim_t{0}, rlim_t{size - 1}}) {
            SCOPED_TRACE("size " + std::to_string(size) + ", limit " + std::to_string(limit));
            const std::string data(size, 'n');
            EXPECT_EQ(gwtest::WithFileSizeLimit(limit, [&] { return TrySave(target, data); }), "raised");
            EXPECT_EQ(rtl::ReadFileToString(target), old);
            EXPECT_EQ(rtl::ListDirectory(tmp_.path().toStdString()), (Names{"doc.gwp"}));
        }
    }
}

// A small file system filled up, with no byte or a few KiB left: a save either writes the
// whole new file or raises and leaves the old one, and one that cannot fit always raises.
TEST_F(FilesTest, AtomicSaveOnAFullFileSystemRaisesAndKeepsOldFile)
{
    const std::string folder = Path("small");
    ASSERT_TRUE(rtl::CreateDir(folder));
    const std::string report = gwtest::InSmallFileSystem(folder, [&] {
        const std::string target = folder + "/doc.gwp";
        const std::string old = "the settings as they were\r\n";
        std::string wrong;
        for (const off_t spare : {off_t{0}, off_t{8192}}) {
            for (const std::size_t size : kSaveSizes) {
                const std::string where = "spare " + std::to_string(spare) + ", size " + std::to_string(size) + ": ";
                ::unlink((folder + "/filler").c_str());
                rtl::WriteStringToFile(target, old);
                gwtest::FillFileSystem(folder, spare);
                const std::string data(size, 'n');
                const std::string outcome = TrySave(target, data);
                const std::string now = gwtest::Contents(target);
                const bool mustFail = spare == 0 || size > 65536;
                if (outcome == "saved" && (mustFail || now != data)) wrong += where + "saved\n";
                if (outcome != "saved" && (outcome != "raised" || now != old)) wrong += where + outcome + "\n";
                if (rtl::ListDirectory(folder) != Names{"doc.gwp", "filler"}) wrong += where + "files left\n";
            }
        }
        return wrong;
    });
    if (report == gwtest::kNoFileSystem) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(report, "");
}

// A process that saves over and over is killed at random moments: the file always holds one
// of the versions whole, never a mixture, a shortened one or nothing.
TEST_F(FilesTest, SaverKilledAtRandomPointsLeavesOneWholeVersion)
{
    const std::string target = Path("doc.gwp");
    const std::string first(20000, 'a');
    const std::string second = "b short one\r\n";
    rtl::WriteStringToFile(target, first);
    std::mt19937 random(13);
    for (int round = 0; round < 40; ++round) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (;;) {
                rtl::SaveFileAtomically(target, second);
                rtl::SaveFileAtomically(target, first);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        const std::string now = rtl::ReadFileToString(target);
        ASSERT_TRUE(now == first || now == second) << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST_F(FilesTest, AtomicSaveThatCannotStartRaisesAndChangesNothing)
{
    ASSERT_TRUE(rtl::CreateDir(Path("folder.gwp")));
    rtl::WriteStringToFile(Path("folder.gwp/inside"), "kept");
    EXPECT_THROW(rtl::SaveFileAtomically(Path("folder.gwp"), "data"), rtl::Exception);
    EXPECT_EQ(rtl::ReadFileToString(Path("folder.gwp/inside")), "kept");

    EXPECT_THROW(rtl::SaveFileAtomically(Path("gone/doc.gwp"), "data"), rtl::EFCreateError);
    EXPECT_FALSE(rtl::DirectoryExists(Path("gone")));
}

}  // namespace
