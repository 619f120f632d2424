#include "SettingsTestSupport.h"

#include "App/Application/Settings/EventHandlerList.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <stdexcept>
#include <thread>

using Talvex::Test::RecordingObserver;
using Talvex::Test::SettingsFile;
using ::testing::ElementsAre;

namespace {

// A lock left held shows up as a thread that never finishes; that cannot be recovered
// from inside the process, so it ends the run with a clear message.
void RunOnOtherThreadAndWait(const std::function<void()>& work)
{
    std::packaged_task<void()> task(work);
    auto done = task.get_future();
    std::thread thread(std::move(task));
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        std::fprintf(stderr, "A settings call on another thread is blocked: a lock was left held\n");
        std::abort();
    }
    thread.join();
    done.get();
}

} // namespace

class SettingsObserverList : public SettingsFile {
protected:
    std::unique_ptr<Talvex::App::SettingsManager> store = Open();
    std::vector<std::string> log;
    RecordingObserver a{"a", log}, b{"b", log}, c{"c", log};
};

TEST_F(SettingsObserverList, CallsEachObserverOnceInFirstRegistrationOrder)
{
    RecordingObserver stranger{"x", log};
    store->RegisterObserver(&a);
    store->RegisterObserver(&b);
    store->RegisterObserver(&a);
    store->RegisterObserver(nullptr);
    store->RegisterObserver(&c);
    store->UnregisterObserver(&stranger);
    store->UnregisterObserver(nullptr);
    store->SetInt("k", 1);
    EXPECT_THAT(log, ElementsAre("a:k", "b:k", "c:k"));

    log.clear();
    store->UnregisterObserver(&b);
    store->RegisterObserver(&b);
    store->SetInt("k", 2);
    EXPECT_THAT(log, ElementsAre("a:k", "c:k", "b:k"));
}

TEST_F(SettingsObserverList, ChangesDuringAPassTakeEffectInTheNextPass)
{
    store->RegisterObserver(&a);
    store->RegisterObserver(&b);
    a.hook = [this](const std::string&) {
        store->UnregisterObserver(&b);
        store->RegisterObserver(&c);
    };
    store->SetInt("first", 1);
    EXPECT_THAT(log, ElementsAre("a:first", "b:first"));

    log.clear();
    a.hook = nullptr;
    store->SetInt("second", 1);
    EXPECT_THAT(log, ElementsAre("a:second", "c:second"));
}

TEST_F(SettingsObserverList, NestedPassCompletesBeforeTheOuterPassGoesOn)
{
    store->RegisterObserver(&a);
    store->RegisterObserver(&b);
    a.hook = [this](const std::string& key) {
        if (key == "outer") {
            store->SetInt("inner", 1);
        }
    };
    store->SetInt("outer", 1);
    EXPECT_THAT(log, ElementsAre("a:outer", "a:inner", "b:inner", "b:outer"));
}

TEST_F(SettingsObserverList, ThrowingObserverEndsThePassAfterTheWriteAndReleasesTheLocks)
{
    store->RegisterObserver(&a);
    store->RegisterObserver(&b);
    a.hook = [](const std::string&) { throw std::runtime_error("observer failed"); };
    EXPECT_THROW(store->SetInt("k", 5), std::runtime_error);
    EXPECT_THAT(log, ElementsAre("a:k"));
    EXPECT_EQ(store->GetInt("k", 0), 5);

    log.clear();
    a.hook = nullptr;
    RunOnOtherThreadAndWait([this] {
        store->SetInt("k", 6);
        store->RegisterObserver(&c);
    });
    EXPECT_THAT(log, ElementsAre("a:k", "b:k"));
}

TEST(EventHandlerListThreads, PassesFromTwoThreadsNeverInterleave)
{
    struct Step {
        int position;
    };
    Talvex::Core::EventHandlerList<Step> list;
    Step steps[] = {{0}, {1}, {2}, {3}};
    for (Step& step : steps) {
        list.Subscribe(&step);
    }

    std::atomic<std::thread::id> owner{std::thread::id()};
    std::atomic<int> interleaved{0};
    auto passes = [&] {
        for (int pass = 0; pass < 2000; ++pass) {
            list.Notify([&](Step* step) {
                const auto self = std::this_thread::get_id();
                if (step->position == 0 ? owner.exchange(self) != std::thread::id() : owner.load() != self) {
                    ++interleaved;
                }
                std::this_thread::yield();
                if (step->position == 3) {
                    owner.store(std::thread::id());
                }
            });
        }
    };
    std::thread other(passes);
    passes();
    other.join();
    EXPECT_EQ(interleaved.load(), 0);
}
