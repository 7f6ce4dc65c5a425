// Servers on 127.0.0.1 for the synchronizer's tests: scripted ones of our own for the
// misbehaviours, and Debian's xinetd for a real daytime service. Also a host lookup that never
// asks a name server. The Qt application comes from tests/support/qt_test_main.cpp.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/socket.h"

namespace velkaro::test {

// "localhost" is 127.0.0.1; every other name is unknown. Nothing leaves the machine.
inline bool LoopbackOnlyLookup(const std::string& name, uint32_t& addr, int& error) {
    if (name == "localhost") {
        addr = htonl(INADDR_LOOPBACK);
        return true;
    }
    error = WSAHOST_NOT_FOUND;
    return false;
}

// Runs the event loop until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
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

// A TCP socket bound to 127.0.0.1:port (0: any free port, which lands in `port`); -1 if taken.
inline int BindLoopback(uint16_t& port) {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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

// A port on 127.0.0.1 with nothing listening on it (free a moment ago).
inline uint16_t FreePort() {
    uint16_t port = 0;
    ::close(BindLoopback(port));
    return port;
}

// Accepts connections on 127.0.0.1 and plays the script on each; the script may close the
// connection itself (setting fd to -1), otherwise it is closed when the script returns.
class TScriptedServer {
public:
    using TScript = std::function<void(int& fd, const std::atomic<bool>& stop)>;

    explicit TScriptedServer(TScript script) : fScript(std::move(script)) {
        fListen = BindLoopback(fPort);
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

// Debian's xinetd with only its internal daytime service, on a free port of 127.0.0.1, in the
// UTC zone. Started() is false, with Failure() saying why, if it did not come up in time.
class TXinetdDaytime {
public:
    TXinetdDaytime() {
        fPort = FreePort();
        const QString dir = fDir.path() + "/";
        std::ofstream(dir.toStdString() + "xinetd.conf")
            << "defaults\n{\n}\nservice daytime\n{\n\ttype = INTERNAL UNLISTED\n\tid = daytime-stream\n"
               "\tsocket_type = stream\n\tprotocol = tcp\n\twait = no\n\tuser = "
            << (::getuid() == 0 ? "root" : std::to_string(::getuid())) << "\n\tbind = 127.0.0.1\n\tport = " << fPort
            << "\n\tdisable = no\n}\n";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ", "UTC");
        fProcess.setProcessEnvironment(env);
        fProcess.setProcessChannelMode(QProcess::MergedChannels);
        // Should the test die, the server goes with it.
        fProcess.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        fProcess.start("/usr/sbin/xinetd", {"-dontfork", "-f", dir + "xinetd.conf", "-pidfile", dir + "xinetd.pid",
                                            "-filelog", dir + "xinetd.log"});
        fFailure = "xinetd could not be started: " + fProcess.errorString().toStdString();
        if (!fProcess.waitForStarted(3000)) return;
        fFailure = "xinetd did not listen on 127.0.0.1:" + std::to_string(fPort) + " within 5 s";
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000 && fProcess.state() == QProcess::Running && !(fStarted = Listening())) Pause(20);
        if (fProcess.state() != QProcess::Running) fFailure = "xinetd exited: " + fProcess.readAll().toStdString();
    }
    ~TXinetdDaytime() {
        if (fProcess.state() == QProcess::NotRunning) return;
        fProcess.terminate();
        if (!fProcess.waitForFinished(3000)) {
            fProcess.kill();
            fProcess.waitForFinished(3000);
        }
    }
    TXinetdDaytime(const TXinetdDaytime&) = delete;
    TXinetdDaytime& operator=(const TXinetdDaytime&) = delete;

    bool Started() const { return fStarted; }
    const std::string& Failure() const { return fFailure; }
    uint16_t Port() const { return fPort; }

private:
    // Probing with a real connection would be served (and logged) as a daytime request, so
    // the port is checked by trying to bind it instead.
    bool Listening() const {
        uint16_t port = fPort;
        const int s = BindLoopback(port);
        if (s >= 0) ::close(s);
        return s < 0;
    }

    QTemporaryDir fDir;
    QProcess fProcess;
    uint16_t fPort = 0;
    bool fStarted = false;
    std::string fFailure;
};

}  // namespace velkaro::test
