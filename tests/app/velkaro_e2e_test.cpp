// The real program on a virtual X display: started with some settings in place, ended with a
// termination signal, it must leave the options and the window placement in the settings file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "settings/ini_store.h"
#include "tests/settings/temp_config.h"

namespace velkaro {
namespace {

using namespace std::chrono_literals;

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int keepFd = -1) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const std::string& e : env) putenv(strdup(e.c_str()));
    if (keepFd < 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Waits for the child to end; -1 when it did not end in time.
int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

// Whether the process has a handler for the signal (its "SigCgt" mask in /proc).
bool Catches(pid_t pid, int sig) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

class VelkaroProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        xvfb = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-screen", "0",
                      "800x600x24", "-dpi", "96"},
                     {}, fds[1]);
        close(fds[1]);
        char buffer[32] = {};
        const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
        close(fds[0]);
        ASSERT_GT(n, 0) << "Xvfb did not start";
        display = ":" + std::string(buffer, strcspn(buffer, "\n"));
    }
    void TearDown() override {
        if (program > 0 && WaitExit(program, 0ms) < 0) {
            kill(program, SIGKILL);
            WaitExit(program, 5s);
        }
        if (xvfb > 0) {
            kill(xvfb, SIGTERM);
            WaitExit(xvfb, 5s);
        }
    }

    // Starts the program on the display with the test's settings folder; true once it is up.
    bool StartProgram(const std::vector<std::string>& extraEnv = {}) {
        const std::string dir = std::filesystem::path(config.File()).parent_path().parent_path();
        // In the sanitizer build: the X keyboard library hands strndup a length beyond its string's
        // buffer (the string itself ends in time), which strict string checks report; not ours.
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::vector<std::string> env = {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_CONFIG_HOME=" + dir,
                                        "XDG_RUNTIME_DIR=" + dir,
                                        "ASAN_OPTIONS=" + std::string(asan ? asan : "") + (asan ? ":" : "") +
                                            "strict_string_checks=0"};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        program = Spawn({std::string(VELKARO_BIN_DIR) + "/velkaro"}, env);
        // The handler is installed once the window exists; then give it a moment to come up.
        const auto until = std::chrono::steady_clock::now() + 30s;
        while (!Catches(program, SIGTERM) && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(500ms);
        return Catches(program, SIGTERM);
    }

    TTempConfig config;
    pid_t xvfb = -1, program = -1;
    std::string display;
};

TEST_F(VelkaroProgram, TerminationSignalSavesOptionsAndPlacement) {
    // The second start's place was saved on a monitor that is gone: the window comes back on the
    // screen (the Xvfb one, 800 x 600).
    struct Case {
        int32_t left, top, savedLeft, savedTop;
    };
    for (const Case c : {Case{40, 30, 40, 30}, Case{-3000, -2000, 0, 0}}) {
        {
            TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
            store.WriteInteger("\\Options", "StatusColor", 0x123456);
            store.WriteInteger("\\Options", "MVTColor", 0x00FF00);
            store.WriteInteger("\\ZonariaForm", "Left", c.left);
            store.WriteInteger("\\ZonariaForm", "Top", c.top);
        }
        ASSERT_TRUE(StartProgram()) << "the program did not come up";

        ASSERT_EQ(kill(program, SIGTERM), 0);
        EXPECT_EQ(WaitExit(program, 20s), 0);
        program = -1;

        TIniStore store(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
        TStringList options;
        store.EnumValues("\\Options", options);
        EXPECT_EQ(options.size(), 25u);
        EXPECT_EQ(store.ReadInteger("\\Options", "StatusColor", -1), 0x123456);
        EXPECT_EQ(store.ReadInteger("\\Options", "MVTColor", -1), 0x00FF00);
        EXPECT_EQ(store.ReadString("\\Options", "StatusTimeFormat", "?"), "DD xx");

        TStringList placement;
        store.EnumValues("\\ZonariaForm", placement);
        std::sort(placement.begin(), placement.end());
        EXPECT_EQ(placement, (TStringList{"Height", "Left", "State", "Top", "Topmost", "Width"}));
        EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "State", -1), 0);
        EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Left", -1), c.savedLeft);
        EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Top", -1), c.savedTop);
        EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Width", -1), 530);  // no window manager, no frame
        EXPECT_EQ(store.ReadInteger("\\ZonariaForm", "Height", -1), 322);
    }
}

// Without a window manager nothing but the program hands the keyboard back to its window when
// "Find city" closes: a city typed on the map afterwards must still be found and selected.
TEST_F(VelkaroProgram, KeyboardReturnsToTheMapAfterFindCity) {
    if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not installed";
    const std::string log = std::filesystem::path(config.File()).parent_path().parent_path().string() + "/announced.log";
    ASSERT_TRUE(StartProgram({"VELKARO_ANNOUNCE_LOG=" + log})) << "the program did not come up";
    auto xdotool = [this](std::vector<std::string> args) {
        args.insert(args.begin(), "/usr/bin/xdotool");
        return WaitExit(Spawn(args, {"DISPLAY=" + display}), 20s);
    };
    // What the program announced; waits until the text shows up or ten seconds have passed.
    auto announced = [&log](const std::string& text) {
        std::string all;
        for (const auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;
             std::this_thread::sleep_for(50ms)) {
            std::ifstream in(log);
            all.assign(std::istreambuf_iterator<char>(in), {});
            if (all.find(text) != std::string::npos) break;
        }
        return all;
    };
    // A click on the open sea gives the window the keyboard, as a user would; the pointer then
    // rests beside the window, where it cannot lead the keys back to it.
    ASSERT_EQ(xdotool({"mousemove", "30", "200", "click", "1"}), 0);
    ASSERT_EQ(xdotool({"mousemove", "700", "550"}), 0);
    ASSERT_EQ(xdotool({"key", "ctrl+f"}), 0);
    ASSERT_EQ(xdotool({"search", "--sync", "--onlyvisible", "--name", "^Find city$"}), 0);
    std::this_thread::sleep_for(1s);  // its edit takes the keyboard once the window is shown
    ASSERT_EQ(xdotool({"type", "--delay", "30", "Paris"}), 0);
    ASSERT_EQ(xdotool({"key", "Return"}), 0);
    ASSERT_NE(announced("Paris time").find("Paris time"), std::string::npos);
    ASSERT_EQ(xdotool({"type", "--delay", "30", "Tokyo"}), 0);
    ASSERT_EQ(xdotool({"key", "Return"}), 0);
    EXPECT_NE(announced("Tokyo time").find("Tokyo time"), std::string::npos) << "typing did not reach the map";
}

}  // namespace
}  // namespace velkaro
