#include "SettingsTestSupport.h"

#include "App/Application/Settings/EventHandlerList.h"

#include <atomic>
#include <cstdlib>
#include <future>
#include <stdexcept>
#include <thread>

using ::testing::_;
using ::testing::InvokeWithoutArgs;

using SettingsObserverList = Talvex::Test::SettingsFile;

TEST_F(SettingsObserverList, CallsEachObserverOnceInFirstRegistrationOrder)
{
    ::testing::StrictMock<Talvex::Test::MockSettingsObserver> stranger;
    Register({&a, &b, &a, nullptr, &c});
    store->UnregisterObserver(&stranger);
    store->UnregisterObserver(nullptr);
    EXPECT_CALL(a, OnIntChanged("k", _, _));
    EXPECT_CALL(b, OnIntChanged("k", _, _));
    EXPECT_CALL(c, OnIntChanged("k", _, _));
    store->SetInt("k", 1);

    store->UnregisterObserver(&b);
    store->RegisterObserver(&b);
    EXPECT_CALL(a, OnIntChanged("k", _, _));
    EXPECT_CALL(c, OnIntChanged("k", _, _));
    EXPECT_CALL(b, OnIntChanged("k", _, _));
    store->SetInt("k", 2);
}

TEST_F(SettingsObserverList, ChangesDuringAPassTakeEffectInTheNextPass)
{
    Register({&a, &b});
    EXPECT_CALL(a, OnIntChanged("first", _, _)).WillOnce(InvokeWithoutArgs([this] {
        store->UnregisterObserver(&b);
        store->RegisterObserver(&c);
    }));
    EXPECT_CALL(b, OnIntChanged("first", _, _));
    store->SetInt("first", 1);

    EXPECT_CALL(a, OnIntChanged("second", _, _));
    EXPECT_CALL(c, OnIntChanged("second", _, _));
    store->SetInt("second", 1);
}

TEST_F(SettingsObserverList, NestedPassCompletesBeforeTheOuterPassGoesOn)
{
    Register({&a, &b});
    EXPECT_CALL(a, OnIntChanged("outer", _, _)).WillOnce(InvokeWithoutArgs([this] { store->SetInt("inner", 1); }));
    EXPECT_CALL(a, OnIntChanged("inner", _, _));
    EXPECT_CALL(b, OnIntChanged("inner", _, _));
    EXPECT_CALL(b, OnIntChanged("outer", _, _));
    store->SetInt("outer", 1);
}

TEST_F(SettingsObserverList, ThrowingObserverEndsThePassAfterTheWriteAndReleasesTheLocks)
{
    Register({&a, &b});
    const auto fail = [] { throw std::runtime_error("observer failed"); };
    EXPECT_CALL(a, OnIntChanged("k", _, _)).WillOnce(InvokeWithoutArgs(fail));
    EXPECT_THROW(store->SetInt("k", 5), std::runtime_error);
    EXPECT_EQ(store->GetInt("k", 0), 5);

    EXPECT_CALL(a, OnIntChanged("k", _, _));
    EXPECT_CALL(b, OnIntChanged("k", _, _));
    // A lock left held blocks the other thread for good; the run cannot go on from there.
    std::packaged_task<void()> task([this] {
        store->SetInt("k", 6);
        store->RegisterObserver(&c);
    });
    auto done = task.get_future();
    std::thread(std::move(task)).detach();
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        std::abort();
    }
    done.get();
}

TEST(EventHandlerListThreads, PassesFromTwoThreadsNeverInterleave)
{
    Talvex::Core::EventHandlerList<int> list;
    int positions[] = {0, 1, 2, 3};
    for (int& position : positions) {
        list.Subscribe(&position);
    }
    std::atomic<int> active{0}, interleaved{0};
    auto passes = [&] {
        for (int pass = 0; pass < 2000; ++pass) {
            list.Notify([&](int* position) {
                interleaved += *position == 0 && active++ != 0 ? 1 : 0;
                std::this_thread::yield();
                active -= *position == 3 ? 1 : 0;
            });
        }
    };
    std::thread other(passes);
    passes();
    other.join();
    EXPECT_EQ(interleaved.load(), 0);
}
