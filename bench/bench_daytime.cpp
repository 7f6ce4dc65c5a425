// Reading daytime replies, and one whole fetch from a server on 127.0.0.1 through the
// asynchronous socket and the event loop.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <benchmark/benchmark.h>

#include "sync/async_socket.h"
#include "sync/daytime_reply.h"
#include "sync/poll_event_source.h"

namespace {

void BM_ParseServerReply(benchmark::State& state) {
    const std::string reply = "05 DEC 2026 12:13:20 EST\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(velkaro::ParseServerReply(reply));
}
BENCHMARK(BM_ParseServerReply);

void BM_ParseNistReply(benchmark::State& state) {
    const std::string reply = "\n61380 26-12-06 06:12:03 00 0 0 123.4 UTC(NIST) *\n";
    for (auto _ : state) benchmark::DoNotOptimize(velkaro::ParseServerReply(reply));
}
BENCHMARK(BM_ParseNistReply);

void BM_ParseCtimeReply(benchmark::State& state) {
    const std::string reply = "Sun Dec  6 06:08:19 2026\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(velkaro::ParseServerReply(reply));
}
BENCHMARK(BM_ParseCtimeReply);

// The slowest path: every layout is tried before the text is refused.
void BM_RejectNonTime(benchmark::State& state) {
    const std::string reply = "Sunday, December 6, 2026 06:08:19-XYZ\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(velkaro::ParseServerReply(reply));
}
BENCHMARK(BM_RejectNonTime);

// Connect, receive one reply, see the close: the work of one "Get server time" on loopback.
void BM_LoopbackFetch(benchmark::State& state) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    ::listen(listener, 16);
    socklen_t len = sizeof sa;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    std::atomic<bool> stop{false};
    std::thread server([&] {
        const char reply[] = "05 DEC 2026 12:13:20 GMT\r\n";
        while (!stop) {
            pollfd p{listener, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            int fd = ::accept(listener, nullptr, nullptr);
            if (fd < 0) continue;
            ::send(fd, reply, sizeof reply - 1, MSG_NOSIGNAL);
            ::close(fd);
        }
    });

    velkaro::TPollEventSource events;
    velkaro::TAsyncSocket socket(events);
    bool closed = false;
    std::string text;
    socket.OnDataAvailable = [&](velkaro::TAsyncSocket* s, uint16_t) {
        char buf[1000];
        int n = s->Receive(buf, sizeof buf);
        if (n > 0) text.append(buf, static_cast<size_t>(n));
    };
    socket.OnSessionClosed = [&](velkaro::TAsyncSocket*, uint16_t) { closed = true; };
    const std::string port = std::to_string(ntohs(sa.sin_port));
    for (auto _ : state) {
        text.clear();
        socket.SetAddr("127.0.0.1");
        socket.SetPort(port);
        closed = false;
        socket.Connect();
        while (!closed) events.ProcessEvents(1000);
        benchmark::DoNotOptimize(velkaro::ParseServerReply(text));
    }
    stop = true;
    server.join();
    ::close(listener);
}
BENCHMARK(BM_LoopbackFetch)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
