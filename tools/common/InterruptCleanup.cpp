#include "InterruptCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <memory>

namespace
{
// One registered path. Nodes are only ever added to the front of the list and
// their path never changes after publication, so the handler can read them
// while the program registers or forgets others.
struct Node
{
    std::unique_ptr<char[]> path;
    std::atomic<bool> active { true };
    Node* next = nullptr;
    int handle = 0;
};

std::atomic<Node*> head { nullptr };
std::atomic<int> nextHandle { 1 };

constexpr int stopSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGPIPE };

extern "C" void removeTemporaryFiles(int signalNumber)
{
    for (Node* node = head.load(std::memory_order_acquire); node != nullptr; node = node->next)
        if (node->active.load(std::memory_order_acquire))
            ::unlink(node->path.get());
    // SA_RESETHAND restored the default action; the signal stays blocked
    // until this handler returns, and then ends the program.
    ::raise(signalNumber);
}
} // namespace

namespace interrupt_cleanup
{
void install()
{
    static std::atomic<bool> installed { false };
    if (installed.exchange(true))
        return;
    for (int signalNumber : stopSignals)
    {
        struct sigaction previous {};
        if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = removeTemporaryFiles;
        sigemptyset(&action.sa_mask);
        for (int other : stopSignals)
            sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

int watch(const char* path)
{
    auto* node = new Node;
    const size_t length = std::strlen(path);
    node->path.reset(new char[length + 1]);
    std::memcpy(node->path.get(), path, length + 1);
    node->handle = nextHandle.fetch_add(1);
    Node* first = head.load(std::memory_order_relaxed);
    do
        node->next = first;
    while (!head.compare_exchange_weak(first, node, std::memory_order_release, std::memory_order_relaxed));
    return node->handle;
}

void forget(int handle)
{
    for (Node* node = head.load(std::memory_order_acquire); node != nullptr; node = node->next)
        if (node->handle == handle)
        {
            node->active.store(false, std::memory_order_release);
            return;
        }
}
} // namespace interrupt_cleanup
