#include "hid/MainThreadHandoff.h"

#include <algorithm>
#include <utility>

namespace hid
{

MainThreadHandoff::MainThreadHandoff() : FMainThread(std::this_thread::get_id()) {}

MainThreadHandoff::~MainThreadHandoff()
{
    // A thread may still be returning from invoke(); it must be out before
    // the lock and the condition go. Calls it still waits for run now.
    std::unique_lock lock(FLock);
    while (FInvokers > 0) {
        auto it = std::find_if(FQueue.begin(), FQueue.end(),
                               [](const Entry& e) { return e.done != nullptr; });
        if (it == FQueue.end()) {
            FChanged.wait(lock);
            continue;
        }
        Entry entry = std::move(*it);
        FQueue.erase(it);
        lock.unlock();
        try {
            run(entry);
        } catch (...) {
            // nobody left to tell
        }
        lock.lock();
    }
}

void MainThreadHandoff::setWakeup(std::function<void()> wakeup)
{
    std::lock_guard lock(FLock);
    FWakeup = std::move(wakeup);
}

void MainThreadHandoff::enqueue(Entry entry)
{
    std::function<void()> wakeup;
    {
        std::lock_guard lock(FLock);
        FQueue.push_back(std::move(entry));
        wakeup = FWakeup;
    }
    FChanged.notify_all();
    if (wakeup)
        wakeup();
}

void MainThreadHandoff::post(Call call)
{
    enqueue(Entry{std::this_thread::get_id(), std::move(call), nullptr});
}

void MainThreadHandoff::invoke(Call call)
{
    if (isMainThread()) {
        call();
        return;
    }
    bool done = false;
    {
        std::lock_guard lock(FLock);
        ++FInvokers;
    }
    enqueue(Entry{std::this_thread::get_id(), std::move(call), &done});
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [&] { return done; });
    if (--FInvokers == 0)
        FChanged.notify_all();
}

void MainThreadHandoff::run(Entry& entry)
{
    // The waiting thread is released even if the call throws.
    struct Release {
        MainThreadHandoff& self;
        bool* done;
        ~Release()
        {
            if (done == nullptr)
                return;
            {
                std::lock_guard lock(self.FLock);
                *done = true;
            }
            self.FChanged.notify_all();
        }
    } release{*this, entry.done};
    entry.call();
}

std::size_t MainThreadHandoff::drain()
{
    std::size_t count = 0;
    for (;;) {
        Entry entry;
        {
            std::lock_guard lock(FLock);
            if (FQueue.empty())
                return count;
            entry = std::move(FQueue.front());
            FQueue.pop_front();
        }
        run(entry);
        ++count;
    }
}

bool MainThreadHandoff::waitAndDrain(std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(FLock);
        if (!FChanged.wait_for(lock, timeout, [&] { return !FQueue.empty(); }))
            return false;
    }
    drain();
    return true;
}

void MainThreadHandoff::runUntilFinished(std::thread::id source,
                                         const std::function<bool()>& finished)
{
    std::unique_lock lock(FLock);
    for (;;) {
        if (finished())
            return;
        auto it = FQueue.begin();
        while (it != FQueue.end() && it->source != source)
            ++it;
        if (it == FQueue.end()) {
            FChanged.wait(lock);
            continue;
        }
        Entry entry = std::move(*it);
        FQueue.erase(it);
        lock.unlock();
        run(entry);
        lock.lock();
    }
}

void MainThreadHandoff::notifyFinished()
{
    // Taking the lock orders this after a waiter's check of its predicate.
    {
        std::lock_guard lock(FLock);
    }
    FChanged.notify_all();
}

} // namespace hid
