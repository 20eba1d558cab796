// The program under a file-size limit: a write past the limit is an error the program
// reports, never SIGXFSZ ending it with an unsaved design. Its first start, which fills the
// program folder with the shipped data, writes files larger than the limit set here.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the program on an empty program folder under a file-size limit of `limitBytes` until
// it ends (or for at most `seconds`, then it is killed); answers waitpid's status.
int RunFirstStartUnderLimit(const std::string& home, rlim_t limitBytes, int seconds)
{
    const std::string program = GW_BINARY_DIR "/app/gridweaver";
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit limit{limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        // The test's own disposition is inherited through exec: start from the default, as a
        // shell does.
        std::signal(SIGXFSZ, SIG_DFL);
        setenv("GRIDWEAVER_HOME", home.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
        setenv("GRIDWEAVER_QUIT_WHEN_SHOWN", "1", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    for (int waited = 0; waited < seconds * 10; ++waited) {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return status;
}

TEST(FileSizeLimitTest, AWritePastTheLimitIsAnErrorNotTheEndOfTheProgram)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const int status = RunFirstStartUnderLimit(home.path().toStdString(), 4096, 60);
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 127) << "the program could not be started";
    EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "ended by SIGXFSZ";
    EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "did not end within a minute";
}

}  // namespace
