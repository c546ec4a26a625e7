#pragma once

#include <atomic>
#include <memory>

// One stop for a whole shutdown: the window owns the source and hands tokens down; everything that runs long
// (transfers, the feed threads, the update check, a wait for the main thread) looks at its token between steps.
namespace base {

class StopToken
{
public:
    // A token that no source raises; it still sees its thread's interruption.
    StopToken() = default;

    // True once the source asked for a stop, or when the calling QThread has been asked to end: a thread's own
    // interruption and the shared stop end work alike.
    bool stopRequested() const;
    // The source's flag alone, for looking at from another thread.
    bool raised() const { return m_flag && m_flag->load(); }

private:
    friend class StopSource;
    explicit StopToken(std::shared_ptr<const std::atomic_bool> flag) : m_flag(std::move(flag)) {}

    std::shared_ptr<const std::atomic_bool> m_flag;
};

// Copies share one flag, so a component that got the window's source raises the window's stop.
class StopSource
{
public:
    StopSource() : m_flag(std::make_shared<std::atomic_bool>(false)) {}

    void requestStop() const { m_flag->store(true); }
    bool stopRequested() const { return m_flag->load(); }
    StopToken token() const { return StopToken(m_flag); }

private:
    std::shared_ptr<std::atomic_bool> m_flag;
};

} // namespace base
