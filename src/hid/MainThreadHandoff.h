#pragma once

// Moves calls from worker threads onto the main thread. A read thread hands
// each report over with invoke() and waits until the main thread has run it;
// device-change notifications are posted without waiting. The main thread
// runs the queue with drain(), prompted by the wake-up. Plain C++, no Qt:
// the application wires the wake-up into its event loop, tests drain by hand.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace hid
{

class MainThreadHandoff
{
public:
    using Call = std::function<void()>;

    // The thread that constructs the hand-off is its main thread.
    MainThreadHandoff();
    // Waits for threads still inside invoke(), running the calls they wait for.
    ~MainThreadHandoff();

    MainThreadHandoff(const MainThreadHandoff&) = delete;
    MainThreadHandoff& operator=(const MainThreadHandoff&) = delete;

    // Called from any thread, without the hand-off's lock held, whenever a
    // call has been queued. It must not run the call itself; it only arranges
    // for drain() to run on the main thread soon.
    void setWakeup(std::function<void()> wakeup);

    // Queues a call and returns at once. Any thread.
    void post(Call call);

    // Queues a call and blocks until the main thread has run it (or runs it
    // at once when called on the main thread). An exception thrown by the
    // call reaches the main thread's drain(), not the caller.
    void invoke(Call call);

    // Main thread: runs queued calls in order until none is left; calls
    // queued meanwhile run too. Returns how many ran.
    std::size_t drain();

    // Main thread: waits up to `timeout` for a call to be queued, then drains.
    // False if nothing came.
    bool waitAndDrain(std::chrono::milliseconds timeout);

    // Main thread: blocks until `finished()` holds, running meanwhile only the
    // calls that thread `source` queued, so a thread waiting in invoke() can
    // finish. `finished` is evaluated under the hand-off's lock; the source
    // thread makes it true and then calls notifyFinished().
    void runUntilFinished(std::thread::id source, const std::function<bool()>& finished);
    void notifyFinished();

    bool isMainThread() const { return std::this_thread::get_id() == FMainThread; }

private:
    struct Entry {
        std::thread::id source;
        Call call;
        bool* done = nullptr; // set under the lock once the call ran (invoke only)
    };

    void enqueue(Entry entry);
    void run(Entry& entry);

    const std::thread::id FMainThread;
    std::mutex FLock;
    std::condition_variable FChanged;
    std::deque<Entry> FQueue;
    int FInvokers = 0; // threads inside invoke()
    std::function<void()> FWakeup;
};

} // namespace hid
