// Servers on loopback for the synchronizer's tests: scripted ones of our own (daytime and NTP)
// for the misbehaviours, Debian's xinetd for a real daytime service and chronyd for a real NTP
// one. Also a host lookup that never asks a name server. Plain POSIX: the synchronizer's core is
// tested without Qt.
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
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "sync/event_source.h"

namespace velkaro::test {

// "localhost" is ::1 and then 127.0.0.1, as Debian's resolver answers; "localhost4" only
// 127.0.0.1; "twohomed" is 127.0.0.2 and then 127.0.0.1, a name whose first address may be made
// silent (TBlackHole). Every other name is unknown. Nothing leaves the machine.
inline bool LoopbackOnlyLookup(const std::string& name, std::vector<TSockAddress>& out, int& error) {
    TSockAddress v6;
    SockParseIPv6("::1", v6);
    const TSockAddress v4 = SockAddressV4(htonl(INADDR_LOOPBACK));
    if (name == "localhost") out = {v6, v4};
    else if (name == "localhost4") out = {v4};
    else if (name == "twohomed") out = {SockAddressV4(htonl(INADDR_LOOPBACK + 1)), v4};
    else error = WSAHOST_NOT_FOUND;
    return !out.empty();
}
// Every test that includes this header looks names up there.
inline const bool kLoopbackOnlyLookups = (SetHostLookupHook(LoopbackOnlyLookup), true);

// Milliseconds on a steady clock, for bounds on waits.
inline long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

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
    for (size_t sent = 0; sent < data.size();) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

// A server's script that sends the text and closes.
inline auto Sends(std::string text) {
    return [text](int& fd, const std::atomic<bool>&) { SendAll(fd, text); };
}

// Holds the connection open until the client closes it or the server stops.
inline void HoldUntilClientCloses(int fd, const std::atomic<bool>& stop) {
    char buf[256];
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0) return;
    }
}

// Closes with a reset instead of a goodbye.
inline void Reset(int& fd) {
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
    fd = -1;
}

inline uint16_t LocalPort(int s) {
    sockaddr_storage sa{};
    socklen_t len = sizeof sa;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
    return ntohs(sa.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(sa).sin6_port
                                          : reinterpret_cast<sockaddr_in&>(sa).sin_port);
}

// A socket of the type bound to 127.0.0.1:port, to another loopback address given in host
// order, or with v6 to [::1]:port only (port 0: any free port, which lands in `port`); -1 if
// taken.
inline int BindLoopback(uint16_t& port, int type = SOCK_STREAM, uint32_t address = INADDR_LOOPBACK, bool v6 = false) {
    sockaddr_in6 sa6{AF_INET6, htons(port), 0, in6addr_loopback, 0};
    sockaddr_in sa4{AF_INET, htons(port), {htonl(address)}, {}};
    const int s = ::socket(v6 ? AF_INET6 : AF_INET, type | SOCK_CLOEXEC, 0);
    const int one = 1;
    if (type == SOCK_STREAM) ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (v6) ::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
    if (v6 ? ::bind(s, reinterpret_cast<sockaddr*>(&sa6), sizeof sa6) : ::bind(s, reinterpret_cast<sockaddr*>(&sa4), sizeof sa4)) {
        ::close(s);
        return -1;
    }
    port = LocalPort(s);
    return s;
}

// A port on 127.0.0.1 with nothing bound to it (free a moment ago).
inline uint16_t FreePort(int type = SOCK_STREAM) {
    uint16_t port = 0;
    ::close(BindLoopback(port, type));
    return port;
}

// Descriptors open in this process, to see that nothing is left behind.
inline size_t OpenDescriptors() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

// A TCP port that leaves connection requests unanswered, as a broken route does: its
// listener's queue is full, so further requests are dropped. On 127.0.0.1, or on another
// loopback address given in host order.
class TBlackHole {
public:
    explicit TBlackHole(uint16_t port = 0, uint32_t address = INADDR_LOOPBACK) {
        fListen = BindLoopback(port, SOCK_STREAM, address);
        ::listen(fListen, 0);
        sockaddr_in sa{};
        socklen_t len = sizeof sa;
        ::getsockname(fListen, reinterpret_cast<sockaddr*>(&sa), &len);
        for (int& f : fFillers) {
            f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(f, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        }
        Pause(50);
    }
    ~TBlackHole() {
        for (int f : fFillers) ::close(f);
        ::close(fListen);
    }
    TBlackHole(const TBlackHole&) = delete;
    TBlackHole& operator=(const TBlackHole&) = delete;
    uint16_t Port() const { return LocalPort(fListen); }

private:
    int fListen = -1;
    int fFillers[4] = {};
};

// A socket on loopback served by a thread of its own, which calls serve whenever the socket is
// readable, until the object goes.
class TLoopbackServer {
public:
    using TServe = std::function<void(int socket, const std::atomic<bool>& stop)>;
    TLoopbackServer(int socket, TServe serve) : fSocket(socket) {
        fThread = std::thread([this, serve] {
            while (!fStop) {
                pollfd p{fSocket, POLLIN, 0};
                if (::poll(&p, 1, 20) > 0) serve(fSocket, fStop);
            }
        });
    }
    ~TLoopbackServer() {
        fStop = true;
        fThread.join();
        ::close(fSocket);
    }
    TLoopbackServer(const TLoopbackServer&) = delete;
    TLoopbackServer& operator=(const TLoopbackServer&) = delete;
    uint16_t Port() const { return LocalPort(fSocket); }

private:
    int fSocket;
    std::atomic<bool> fStop{false};
    std::thread fThread;
};

// Accepts TCP connections on 127.0.0.1 (with v6 on ::1 only; where there is no IPv6, its port is
// 0) and plays the script on each; the script may close the connection itself (setting fd to -1),
// otherwise it is closed when the script returns.
struct TScriptedServer : TLoopbackServer {
    using TScript = std::function<void(int& fd, const std::atomic<bool>& stop)>;
    explicit TScriptedServer(TScript script, bool v6 = false)
        : TLoopbackServer(Listening(v6), [script](int s, const std::atomic<bool>& stop) {
              int fd = ::accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
              if (fd < 0) return;
              script(fd, stop);
              if (fd >= 0) ::close(fd);
          }) {}
    static int Listening(bool v6) {
        uint16_t port = 0;
        const int s = BindLoopback(port, SOCK_STREAM, INADDR_LOOPBACK, v6);
        ::listen(s, 8);
        return s;
    }
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
struct TScriptedNtpServer : TLoopbackServer {
    explicit TScriptedNtpServer(TNtpAnswer answer)
        : TLoopbackServer(Bound(), [answer](int s, const std::atomic<bool>&) {
              std::vector<uint8_t> request(512);
              sockaddr_in from{};
              socklen_t len = sizeof from;
              const ssize_t n = ::recvfrom(s, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
              if (n <= 0) return;
              request.resize(static_cast<size_t>(n));
              const std::vector<uint8_t> reply = NtpReply(request, answer);
              uint16_t port = LocalPort(s);
              const int sender = answer.FromOtherAddress ? BindLoopback(port, SOCK_DGRAM, INADDR_LOOPBACK + 1) : s;
              ::sendto(sender, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
              if (sender != s) ::close(sender);
          }) {}
    static int Bound() {
        uint16_t port = 0;
        return BindLoopback(port, SOCK_DGRAM);
    }
};

// A server program of Debian's started for a test on a free port of 127.0.0.1, in a temporary
// folder of its own that goes with it; the program is stopped when the object goes, or when the
// test process dies. Started() is false, with Failure() saying why, if it did not come up in time.
class TTestDaemon {
public:
    TTestDaemon(const TTestDaemon&) = delete;
    TTestDaemon& operator=(const TTestDaemon&) = delete;
    bool Started() const { return fStarted; }
    const std::string& Failure() const { return fFailure; }
    uint16_t Port() const { return fPort; }

protected:
    // configure writes the program's configuration into the folder (ending in "/") for the port
    // and returns the program's arguments. The program runs in the UTC zone, its output going
    // into out.txt of the folder; it has up to 5 s to take the port (of the socket type).
    TTestDaemon(const std::string& path, int type,
                const std::function<std::vector<std::string>(const std::string& dir, uint16_t port)>& configure)
        : fPort(FreePort(type)) {
        std::string dir = (std::filesystem::temp_directory_path() / "velkaro-daemon-XXXXXX").string();
        if (::mkdtemp(dir.data()) == nullptr) {
            fFailure = "no temporary folder for " + path;
            return;
        }
        fDir = dir;
        std::vector<std::string> args = configure(fDir + "/", fPort);
        args.insert(args.begin(), path);
        // Everything the child needs is made before the fork: other threads may hold locks.
        const std::string outPath = fDir + "/out.txt";
        std::string zone = "TZ=UTC";
        char* envp[] = {zone.data(), nullptr};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        fChild = ::fork();
        if (fChild == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // should the test die, the server goes with it
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execve(path.c_str(), argv.data(), envp);
            ::_exit(127);
        }
        // Probing with a real connection would be served (and logged) as a request, so the port
        // is checked by trying to bind it instead.
        const long long end = NowMs() + 5000;
        while (NowMs() < end && Running() && !fStarted) {
            uint16_t port = fPort;
            const int s = BindLoopback(port, type);
            fStarted = s < 0;
            if (s >= 0) ::close(s);
            Pause(20);
        }
        if (fStarted) return;
        std::ifstream out(outPath);
        fFailure = path + " did not take 127.0.0.1:" + std::to_string(fPort) + " within 5 s; it said: " +
                   std::string(std::istreambuf_iterator<char>(out), {});
    }
    ~TTestDaemon() {
        if (Running()) {
            ::kill(fChild, SIGKILL);
            ::waitpid(fChild, nullptr, 0);
        }
        std::error_code ignored;
        if (!fDir.empty()) std::filesystem::remove_all(fDir, ignored);
    }

private:
    // Reaps the child once it has ended.
    bool Running() {
        if (fChild > 0 && ::waitpid(fChild, nullptr, WNOHANG) == 0) return true;
        fChild = -1;
        return false;
    }

    uint16_t fPort;
    std::string fFailure, fDir;
    pid_t fChild = -1;
    bool fStarted = false;
};

// Debian's xinetd with only its internal daytime service.
struct TXinetdDaytime : TTestDaemon {
    TXinetdDaytime()
        : TTestDaemon("/usr/sbin/xinetd", SOCK_STREAM, [](const std::string& dir, uint16_t port) {
              std::ofstream(dir + "xinetd.conf")
                  << "defaults\n{\n}\nservice daytime\n{\n\ttype = INTERNAL UNLISTED\n\tid = daytime-stream\n"
                     "\tsocket_type = stream\n\tprotocol = tcp\n\twait = no\n\tuser = "
                  << (::getuid() == 0 ? "root" : std::to_string(::getuid())) << "\n\tbind = 127.0.0.1\n\tport = " << port
                  << "\n\tdisable = no\n}\n";
              return std::vector<std::string>{"-dontfork", "-f", dir + "xinetd.conf", "-pidfile", dir + "xinetd.pid",
                                              "-filelog", dir + "xinetd.log"};
          }) {}
};

// Debian's chronyd serving NTP from its local reference, with its control of the clock off
// (-x): it reads the clock and never sets it.
struct TChronyd : TTestDaemon {
    TChronyd()
        : TTestDaemon("/usr/sbin/chronyd", SOCK_DGRAM, [](const std::string& dir, uint16_t port) {
              std::ofstream(dir + "chrony.conf") << "port " << port << "\nbindaddress 127.0.0.1\nlocal stratum 8\n"
                                                 << "allow 127.0.0.1\ncmdport 0\npidfile " << dir << "chronyd.pid\n"
                                                 << "driftfile " << dir << "drift\n";
              std::vector<std::string> args = {"-x", "-d", "-f", dir + "chrony.conf"};
              // As root it would switch to its own user, who may not enter the temporary folder.
              if (::getuid() == 0) args.insert(args.end(), {"-u", "root"});
              return args;
          }) {}
};

}  // namespace velkaro::test
