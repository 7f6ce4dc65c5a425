// Servers on 127.0.0.1 for the synchronizer's tests: scripted ones of our own (daytime and
// NTP) for the misbehaviours, Debian's xinetd for a real daytime service and chronyd for a
// real NTP one. Also a host lookup that never asks a name server. Plain POSIX: the
// synchronizer's core is tested without Qt.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <filesystem>

#include "platform/socket.h"
#include "sync/event_source.h"

namespace velkaro::test {

// "localhost" is ::1 and then 127.0.0.1, as Debian's resolver answers; "localhost4" only
// 127.0.0.1, "localhost6" only ::1. Every other name is unknown. Nothing leaves the machine.
inline bool LoopbackOnlyLookup(const std::string& name, std::vector<TSockAddress>& out, int& error) {
    TSockAddress v6;
    SockParseIPv6("::1", v6);
    const TSockAddress v4 = SockAddressV4(htonl(INADDR_LOOPBACK));
    if (name == "localhost") out = {v6, v4};
    else if (name == "localhost4") out = {v4};
    else if (name == "localhost6") out = {v6};
    else error = WSAHOST_NOT_FOUND;
    return !out.empty();
}

// "twohomed" is 127.0.0.2 and then 127.0.0.1, a name whose first address may be made silent
// (TBlackHole); every other name as LoopbackOnlyLookup.
inline bool TwoHomedLookup(const std::string& name, std::vector<TSockAddress>& out, int& error) {
    if (name != "twohomed") return LoopbackOnlyLookup(name, out, error);
    out = {SockAddressV4(htonl(INADDR_LOOPBACK + 1)), SockAddressV4(htonl(INADDR_LOOPBACK))};
    return true;
}

// Milliseconds on a steady clock, for bounds on waits.
inline long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the event loop until the condition holds or the time is up.
inline bool WaitFor(TEventSource& events, const std::function<bool()>& done, int timeoutMs = 5000) {
    const long long end = NowMs() + timeoutMs;
    while (!done()) {
        if (NowMs() > end) return false;
        events.ProcessEvents(20);
    }
    return true;
}

inline void SendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

inline void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Holds the connection open until the client closes it or the server stops.
inline void HoldUntilClientCloses(int fd, const std::atomic<bool>& stop) {
    char buf[256];
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        if (::recv(fd, buf, sizeof buf, 0) <= 0) return;
    }
}

// Closes with a reset instead of a goodbye.
inline void Reset(int& fd) {
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
    fd = -1;
}

// A TCP (or with SOCK_DGRAM, UDP) socket bound to 127.0.0.1:port, or to another loopback
// address given in host order (port 0: any free port, which lands in `port`); -1 if taken.
inline int BindLoopback(uint16_t& port, uint32_t address = INADDR_LOOPBACK, int type = SOCK_STREAM) {
    int s = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    int one = 1;
    if (type == SOCK_STREAM) ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    socklen_t len = sizeof sa;
    if (::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(s);
        return -1;
    }
    ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    return s;
}

inline int BindLoopbackUdp(uint16_t& port, uint32_t address = INADDR_LOOPBACK) {
    return BindLoopback(port, address, SOCK_DGRAM);
}

// A TCP socket bound to [::1]:port, as BindLoopback.
inline int BindLoopback6(uint16_t& port) {
    int s = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
    sockaddr_in6 sa{};
    sa.sin6_family = AF_INET6;
    sa.sin6_addr = in6addr_loopback;
    sa.sin6_port = htons(port);
    socklen_t len = sizeof sa;
    if (::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(s);
        return -1;
    }
    ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin6_port);
    return s;
}

// Machines without IPv6 (some containers) skip the IPv6 cases.
inline bool HasIPv6Loopback() {
    uint16_t port = 0;
    const int s = BindLoopback6(port);
    if (s >= 0) ::close(s);
    return s >= 0;
}

// A port on 127.0.0.1 with nothing listening on it (free a moment ago).
inline uint16_t FreePort() {
    uint16_t port = 0;
    ::close(BindLoopback(port));
    return port;
}

// A TCP port that leaves connection requests unanswered, as a broken route does: its
// listener's queue is full, so further requests are dropped. On 127.0.0.1, or on another
// loopback address given in host order.
class TBlackHole {
public:
    explicit TBlackHole(uint16_t port = 0, uint32_t address = INADDR_LOOPBACK) {
        fListen = BindLoopback(port, address);
        ::listen(fListen, 0);
        fPort = port;
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(address);
        sa.sin_port = htons(port);
        for (int i = 0; i < 4; ++i) {
            int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(f, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
            fFillers.push_back(f);
        }
        Pause(50);
    }
    ~TBlackHole() {
        for (int f : fFillers) ::close(f);
        ::close(fListen);
    }
    TBlackHole(const TBlackHole&) = delete;
    TBlackHole& operator=(const TBlackHole&) = delete;
    uint16_t Port() const { return fPort; }

private:
    int fListen = -1;
    uint16_t fPort = 0;
    std::vector<int> fFillers;
};

// Descriptors open in this process, to see that nothing is left behind.
inline size_t OpenDescriptors() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

// Accepts connections on 127.0.0.1 and plays the script on each; the script may close the
// connection itself (setting fd to -1), otherwise it is closed when the script returns.
class TScriptedServer {
public:
    using TScript = std::function<void(int& fd, const std::atomic<bool>& stop)>;

    // On 127.0.0.1, or with v6 on ::1 only.
    explicit TScriptedServer(TScript script, bool v6 = false) : fScript(std::move(script)) {
        fListen = v6 ? BindLoopback6(fPort) : BindLoopback(fPort);
        ::listen(fListen, 8);
        fThread = std::thread([this] { Run(); });
    }
    ~TScriptedServer() {
        fStop = true;
        fThread.join();
        ::close(fListen);
    }
    TScriptedServer(const TScriptedServer&) = delete;
    TScriptedServer& operator=(const TScriptedServer&) = delete;

    uint16_t Port() const { return fPort; }
    int Accepted() const { return fAccepted; }

private:
    void Run() {
        while (!fStop) {
            pollfd p{fListen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            int fd = ::accept4(fListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ++fAccepted;
            fScript(fd, fStop);
            if (fd >= 0) ::close(fd);
        }
    }

    TScript fScript;
    int fListen = -1;
    uint16_t fPort = 0;
    std::atomic<bool> fStop{false};
    std::atomic<int> fAccepted{0};
    std::thread fThread;
};

// The current time as an NTP timestamp, from the C++ clock: independent of the program's.
inline uint64_t NtpNow(double aheadS = 0) {
    const double unix = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const double ntp = unix + 2208988800.0 + aheadS;
    const auto whole = static_cast<uint64_t>(ntp);
    return (whole << 32) | static_cast<uint64_t>((ntp - static_cast<double>(whole)) * 4294967296.0);
}

// What a scripted NTP server answers; by default a sound reply of a server aheadS ahead.
struct TNtpAnswer {
    double AheadS = 0;
    int Leap = 0, Mode = 4, Stratum = 2;
    const char* RefId = "GPS";
    bool EchoOrigin = true;
    bool ZeroTransmit = false;
    size_t Size = 48;
    bool FromOtherAddress = false;  // sent from 127.0.0.2 instead of the server's address
};

inline std::vector<uint8_t> NtpReply(const std::vector<uint8_t>& request, const TNtpAnswer& a) {
    std::vector<uint8_t> p(48, 0);
    p[0] = static_cast<uint8_t>((a.Leap << 6) | (4 << 3) | a.Mode);
    p[1] = static_cast<uint8_t>(a.Stratum);
    for (size_t i = 0; i < 4 && a.RefId[i] != 0; ++i) p[12 + i] = static_cast<uint8_t>(a.RefId[i]);
    auto put = [&](size_t at, uint64_t t) {
        for (int i = 0; i < 8; ++i) p[at + static_cast<size_t>(i)] = static_cast<uint8_t>(t >> (56 - 8 * i));
    };
    const uint64_t now = NtpNow(a.AheadS);
    put(16, now - (uint64_t{60} << 32));  // reference time: set a minute ago
    if (a.EchoOrigin && request.size() >= 48) std::copy(request.begin() + 40, request.begin() + 48, p.begin() + 24);
    put(32, now);
    if (!a.ZeroTransmit) put(40, NtpNow(a.AheadS));
    p.resize(a.Size);
    return p;
}

// Answers NTP requests on a free UDP port of 127.0.0.1 with the answer given.
class TScriptedNtpServer {
public:
    explicit TScriptedNtpServer(TNtpAnswer answer) : fAnswer(answer) {
        fSocket = BindLoopbackUdp(fPort);
        uint16_t same = fPort;
        fOther = BindLoopbackUdp(same, INADDR_LOOPBACK + 1);
        fThread = std::thread([this] { Run(); });
    }
    ~TScriptedNtpServer() {
        fStop = true;
        fThread.join();
        ::close(fSocket);
        if (fOther >= 0) ::close(fOther);
    }
    TScriptedNtpServer(const TScriptedNtpServer&) = delete;
    TScriptedNtpServer& operator=(const TScriptedNtpServer&) = delete;
    uint16_t Port() const { return fPort; }

private:
    void Run() {
        while (!fStop) {
            pollfd p{fSocket, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            std::vector<uint8_t> request(512);
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n = ::recvfrom(fSocket, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0) continue;
            request.resize(static_cast<size_t>(n));
            const std::vector<uint8_t> reply = NtpReply(request, fAnswer);
            ::sendto(fAnswer.FromOtherAddress ? fOther : fSocket, reply.data(), reply.size(), 0,
                     reinterpret_cast<sockaddr*>(&from), len);
        }
    }
    TNtpAnswer fAnswer;
    int fSocket = -1, fOther = -1;
    uint16_t fPort = 0;
    std::atomic<bool> fStop{false};
    std::thread fThread;
};

// A server program of Debian's started for a test, in a temporary folder of its own that goes
// with it; the program is stopped when the object goes, or when the test process dies.
class TTestDaemon {
public:
    TTestDaemon(const TTestDaemon&) = delete;
    TTestDaemon& operator=(const TTestDaemon&) = delete;
    bool Started() const { return fStarted; }
    const std::string& Failure() const { return fFailure; }
    uint16_t Port() const { return fPort; }

protected:
    TTestDaemon() = default;
    ~TTestDaemon() {
        if (fChild > 0 && Running()) {
            ::kill(fChild, SIGTERM);
            const long long end = NowMs() + 3000;
            while (Running() && NowMs() < end) Pause(10);
            if (Running()) {
                ::kill(fChild, SIGKILL);
                ::waitpid(fChild, nullptr, 0);
            }
        }
        if (!fDir.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(fDir, ignored);
        }
    }

    // The folder, ending in "/"; empty (with Failure set) if none could be made.
    std::string MakeDir(const std::string& name) {
        std::string pattern = (std::filesystem::temp_directory_path() / ("velkaro-" + name + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            fFailure = "no temporary folder for " + name;
            return {};
        }
        fDir = pattern;
        return fDir + "/";
    }

    // Runs the program in the UTC zone, its output into out.txt of the folder, and waits up
    // to 5 s for listening() to hold.
    void Start(const std::string& path, std::vector<std::string> args, const std::function<bool()>& listening) {
        const std::string outPath = fDir + "/out.txt";
        // Everything the child needs is made before the fork: other threads may hold locks.
        std::vector<std::string> envText = {"TZ=UTC"};
        for (char** e = environ; *e != nullptr; ++e)
            if (std::string(*e).rfind("TZ=", 0) != 0) envText.emplace_back(*e);
        std::vector<char*> envp, argv;
        for (std::string& e : envText) envp.push_back(e.data());
        envp.push_back(nullptr);
        args.insert(args.begin(), path);
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        fChild = ::fork();
        if (fChild == 0) {
            // Should the test die, the server goes with it.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            ::execve(path.c_str(), argv.data(), envp.data());
            ::_exit(127);
        }
        if (fChild < 0) {
            fFailure = path + " could not be started";
            return;
        }
        fFailure = path + " did not listen on 127.0.0.1:" + std::to_string(fPort) + " within 5 s";
        const long long end = NowMs() + 5000;
        while (NowMs() < end && Running() && !(fStarted = listening())) Pause(20);
        if (!fStarted && !Running()) {
            std::ifstream in(outPath);
            fFailure = path + " exited: " + std::string(std::istreambuf_iterator<char>(in), {});
        }
    }

    uint16_t fPort = 0;
    std::string fFailure;

private:
    // Reaps the child once it has ended.
    bool Running() {
        if (fChild <= 0) return false;
        if (::waitpid(fChild, nullptr, WNOHANG) == 0) return true;
        fChild = -1;
        return false;
    }

    std::string fDir;
    pid_t fChild = -1;
    bool fStarted = false;
};

// Debian's xinetd with only its internal daytime service, on a free port of 127.0.0.1.
// Started() is false, with Failure() saying why, if it did not come up in time.
class TXinetdDaytime : public TTestDaemon {
public:
    TXinetdDaytime() {
        fPort = FreePort();
        const std::string dir = MakeDir("xinetd");
        if (dir.empty()) return;
        std::ofstream(dir + "xinetd.conf")
            << "defaults\n{\n}\nservice daytime\n{\n\ttype = INTERNAL UNLISTED\n\tid = daytime-stream\n"
               "\tsocket_type = stream\n\tprotocol = tcp\n\twait = no\n\tuser = "
            << (::getuid() == 0 ? "root" : std::to_string(::getuid())) << "\n\tbind = 127.0.0.1\n\tport = " << fPort
            << "\n\tdisable = no\n}\n";
        // Probing with a real connection would be served (and logged) as a daytime request, so
        // the port is checked by trying to bind it instead.
        Start("/usr/sbin/xinetd",
              {"-dontfork", "-f", dir + "xinetd.conf", "-pidfile", dir + "xinetd.pid", "-filelog", dir + "xinetd.log"},
              [this] {
                  uint16_t port = fPort;
                  const int s = BindLoopback(port);
                  if (s >= 0) ::close(s);
                  return s < 0;
              });
    }
};

// Debian's chronyd serving NTP on a free UDP port of 127.0.0.1 from its local reference, with
// its control of the clock off (-x): it reads the clock and never sets it.
class TChronyd : public TTestDaemon {
public:
    TChronyd() {
        uint16_t port = 0;
        ::close(BindLoopbackUdp(port));
        fPort = port;
        const std::string dir = MakeDir("chronyd");
        if (dir.empty()) return;
        std::ofstream(dir + "chrony.conf") << "port " << fPort << "\nbindaddress 127.0.0.1\nlocal stratum 8\n"
                                           << "allow 127.0.0.1\ncmdport 0\npidfile " << dir << "chronyd.pid\n"
                                           << "driftfile " << dir << "drift\n";
        std::vector<std::string> args = {"-x", "-d", "-f", dir + "chrony.conf"};
        // As root it would switch to its own user, who may not enter the temporary folder.
        if (::getuid() == 0) args.insert(args.end(), {"-u", "root"});
        Start("/usr/sbin/chronyd", args, [this] {
            uint16_t taken = fPort;
            const int s = BindLoopbackUdp(taken);
            if (s >= 0) ::close(s);
            return s < 0;
        });
    }
};

}  // namespace velkaro::test
