// Event bus: delivery order, table exhaustion, named callbacks, re-entrant receivers, orphaned
// subscriptions and the destroy messages of stop.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "base/zode.h"

namespace {

struct Call {
    int object;
    uint32_t code;
    intptr_t a1;
};
std::vector<Call> calls;

int32_t recorder(zode::Message* m) {
    calls.push_back({m->object, m->code, m->a1});
    return 7;
}

zode::Request direct(zode::Callback cb, uint32_t dataSize = 0) {
    return zode::Request{dataSize, reinterpret_cast<const void*>(cb), zode::kDirect, nullptr};
}

class Zode : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        ASSERT_EQ(zode::start(), 1);
    }
    void TearDown() override { zode::stop(); }

    int add(zode::Callback cb = recorder, uint32_t dataSize = 0) {
        zode::Request r = direct(cb, dataSize);
        return zode::registerObject(&r);
    }
};

TEST_F(Zode, RegistrationCreatesFromSlotZeroWithPrivateData) {
    int a = add(recorder, 16);
    int b = add();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].object, 0);
    EXPECT_EQ(calls[0].code, zode::kCreate);

    // The data block reaches every message of its object; sendRecord fills object and data.
    static void* seen = nullptr;
    auto grab = [](zode::Message* m) -> int32_t {
        seen = m->data;
        return m->object;
    };
    int c = add(grab, 8);
    void* created = seen;
    EXPECT_NE(created, nullptr);
    zode::Message record{99, nullptr, 0x1234, 5, 1, 2, 3, 4};
    EXPECT_EQ(zode::sendRecord(c, &record), c);
    EXPECT_EQ(record.object, c);
    EXPECT_EQ(record.data, created);
    EXPECT_EQ(zode::send(a, 42, 9), 7);
    EXPECT_EQ(calls.back().a1, 9);
}

TEST_F(Zode, SubscribersAreCalledNewestFirstAndTwiceWhenSubscribedTwice) {
    int a = add(), b = add();
    ASSERT_EQ(zode::createEventType(300), 1);
    ASSERT_EQ(zode::subscribe(300, a), 1);
    ASSERT_EQ(zode::subscribe(300, b), 1);
    ASSERT_EQ(zode::subscribe(300, a), 1);
    // Creating the type again keeps its chain.
    ASSERT_EQ(zode::createEventType(300), 1);
    calls.clear();
    zode::broadcast(300, 11);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].object, a);
    EXPECT_EQ(calls[1].object, b);
    EXPECT_EQ(calls[2].object, a);
    EXPECT_EQ(calls[2].a1, 11);

    // No event type: nobody is called, and subscribing fails.
    calls.clear();
    zode::broadcast(301);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(zode::subscribe(301, a), 0);
}

TEST_F(Zode, BroadcastHandsOneRecordToEveryReceiverInTurn) {
    auto bump = [](zode::Message* m) -> int32_t {
        m->a2 += 1;
        calls.push_back({m->object, m->code, m->a2});
        return 0;
    };
    int a = add(bump), b = add(bump);
    zode::createEventType(5);
    zode::subscribe(5, a);
    zode::subscribe(5, b);
    calls.clear();
    zode::Message record{-1, nullptr, 5, 77, 0, 10, 0, 0};
    zode::broadcastRecord(&record);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].a1, 11);
    EXPECT_EQ(calls[1].a1, 12);  // sees the argument as the earlier receiver left it
    EXPECT_EQ(record.reserved, 0u);
    EXPECT_EQ(record.object, a);  // the last receiver
}

TEST_F(Zode, FullTablesRefuseAndChangeNothing) {
    for (int i = 0; i < zode::kObjects; ++i) ASSERT_EQ(add(), i);
    calls.clear();
    EXPECT_EQ(add(), 0);
    EXPECT_TRUE(calls.empty());  // no create message for the refused registration

    for (uint32_t code = 0; code < zode::kEventTypes; ++code) ASSERT_EQ(zode::createEventType(1000 + code), 1);
    EXPECT_EQ(zode::createEventType(5000), 0);
    EXPECT_EQ(zode::createEventType(1000), 1);  // existing types are still found

    for (int i = 0; i < zode::kNodes; ++i) ASSERT_EQ(zode::subscribe(1000 + (i % 3), i), 1);
    EXPECT_EQ(zode::subscribe(1003, 5), 0);
    calls.clear();
    zode::broadcast(1003);
    EXPECT_TRUE(calls.empty());

    // A freed slot is reused by the next registration, under a handle of its own.
    zode::unregisterObject(500);
    const int again = add();
    EXPECT_EQ(again % zode::kObjects, 500);
    EXPECT_NE(again, 500);
}

TEST_F(Zode, NamedCallbacksComeFromTheModule) {
    void* libc = dlopen("libc.so.6", RTLD_NOW);
    ASSERT_NE(libc, nullptr);
    int before = add();
    zode::Request missing{4, "noSuchExportedCallback", 0, libc};
    EXPECT_EQ(zode::registerObject(&missing), 0);
    // The refused registration left the next slot free.
    EXPECT_EQ(add(), before + 1);

    // getpid ignores the record it is handed; its result proves the looked-up function runs.
    zode::Request named{0, "getpid", 0, libc};
    int obj = zode::registerObject(&named);
    EXPECT_EQ(obj, before + 2);
    EXPECT_EQ(zode::send(obj, 3), static_cast<int32_t>(getpid()));
    zode::unregisterObject(obj);
    dlclose(libc);
}

// Receivers that call back into the bus while a broadcast runs.
int lateObject = -1;
int32_t subscribesLate(zode::Message* m) {
    calls.push_back({m->object, m->code, m->a1});
    if (m->code == 400 && lateObject < 0) {
        lateObject = m->object;
        zode::subscribe(400, m->object);  // new head: not reached by this broadcast
        zode::broadcast(401, 5);          // nested broadcast of another event
    }
    return 0;
}

TEST_F(Zode, ReceiversMayUseTheBusDuringABroadcast) {
    lateObject = -1;
    int a = add(subscribesLate), b = add(subscribesLate);
    zode::createEventType(400);
    zode::createEventType(401);
    zode::subscribe(400, a);
    zode::subscribe(400, b);
    zode::subscribe(401, a);
    calls.clear();
    zode::broadcast(400);
    // b first (newest), which subscribes again and broadcasts 401 to a, then a.
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].object, b);
    EXPECT_EQ(calls[1].object, a);
    EXPECT_EQ(calls[1].code, 401u);
    EXPECT_EQ(calls[2].object, a);
    EXPECT_EQ(calls[2].code, 400u);
    calls.clear();
    zode::broadcast(400);
    EXPECT_EQ(calls.size(), 3u);  // the new subscription counts from the next broadcast on
}

int32_t unregistersNeighbour(zode::Message* m) {
    calls.push_back({m->object, m->code, m->a1});
    if (m->code == 600) zode::unregisterObject(static_cast<int>(m->a1));
    return 0;
}

TEST_F(Zode, UnregisteredObjectsAreSkippedAlsoAfterTheirSlotIsReused) {
    int a = add(), b = add(unregistersNeighbour);
    zode::createEventType(600);
    zode::subscribe(600, a);
    zode::subscribe(600, b);
    calls.clear();
    zode::broadcast(600, a);  // b runs first and unregisters a before a's turn
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].object, b);
    EXPECT_EQ(calls[1].object, a);
    EXPECT_EQ(calls[1].code, zode::kDestroy);

    EXPECT_EQ(zode::send(a, 1234), 0);  // free slot: nothing called
    EXPECT_EQ(calls.size(), 2u);

    int reused = add();
    EXPECT_EQ(reused % zode::kObjects, a) << "the same slot";
    EXPECT_NE(reused, a) << "under another handle";
    calls.clear();
    zode::broadcast(600, -1);
    ASSERT_EQ(calls.size(), 1u);  // the new owner of the slot did not inherit a's subscription
    EXPECT_EQ(calls[0].object, b);
    // The old handle reaches nothing, and cannot take the new owner away.
    EXPECT_EQ(zode::send(a, 1234), 0);
    zode::unregisterObject(a);
    EXPECT_EQ(zode::send(reused, 42), 7);
    EXPECT_EQ(zode::subscribe(600, a), 0);

    EXPECT_EQ(zode::subscribe(600, 900), 0);   // never registered
    EXPECT_EQ(zode::subscribe(600, -3), 0);    // out of range
    EXPECT_EQ(zode::send(5000, 1), 0);
}

TEST_F(Zode, ObjectsThatComeAndGoForTheWholeRunExhaustNothing) {
    // As in-scene windows do when panels open and close: each object subscribes to a few events
    // and is unregistered again. Without freeing its subscriptions the 256 would be gone after 86.
    const int keeper = add();
    ASSERT_EQ(zode::createEventType(514), 1);
    ASSERT_EQ(zode::createEventType(517), 1);
    ASSERT_EQ(zode::createEventType(256), 1);
    ASSERT_EQ(zode::subscribe(517, keeper), 1);
    const zode::Usage base = zode::usage();
    int previous = -1;
    for (int i = 0; i < 10000; ++i) {
        const int window = add(recorder, 24);
        ASSERT_NE(window, previous) << "a new handle every time, at cycle " << i;
        ASSERT_EQ(zode::subscribe(514, window), 1) << i;
        ASSERT_EQ(zode::subscribe(517, window), 1) << i;
        ASSERT_EQ(zode::subscribe(256, window), 1) << i;
        calls.clear();
        zode::broadcast(517, i);
        // The live window and the keeper, and nothing left from earlier windows.
        ASSERT_EQ(calls.size(), 2u) << i;
        ASSERT_EQ(calls[0].object, window) << i;
        ASSERT_EQ(calls[1].object, keeper) << i;
        if (previous >= 0) {
            ASSERT_EQ(zode::send(previous, 9), 0) << "the old handle reaches nothing";
        }
        zode::unregisterObject(window);
        previous = window;
    }
    const zode::Usage after = zode::usage();
    EXPECT_EQ(after.objects, base.objects);
    EXPECT_EQ(after.subscriptions, base.subscriptions);
    EXPECT_EQ(after.eventTypes, base.eventTypes);
}

int victim = -1;
int32_t unregistersNext(zode::Message* m) {
    calls.push_back({m->object, m->code, m->a1});
    if (m->code == 700 && victim >= 0) {
        zode::unregisterObject(victim);
        victim = -1;
        // A new subscriber during the broadcast takes a free node, never one still being walked.
        zode::Request r{0, reinterpret_cast<const void*>(&recorder), zode::kDirect, nullptr};
        const int late = zode::registerObject(&r);
        zode::subscribe(700, late);
    }
    return 0;
}

TEST_F(Zode, SubscriptionsFreedDuringABroadcastAreReusedOnlyAfterIt) {
    const int first = add(), second = add(), killer = add(unregistersNext);
    ASSERT_EQ(zode::createEventType(700), 1);
    ASSERT_EQ(zode::subscribe(700, first), 1);
    ASSERT_EQ(zode::subscribe(700, second), 1);
    ASSERT_EQ(zode::subscribe(700, killer), 1);
    victim = second;
    calls.clear();
    zode::broadcast(700);
    // killer (newest) runs first, unregisters second; first still gets its turn.
    std::vector<int> got;
    for (const Call& c : calls) {
        if (c.code == 700) got.push_back(c.object);
    }
    EXPECT_EQ(got, (std::vector<int>{killer, first}));
    EXPECT_EQ(zode::usage().subscriptions, 3) << "second's node freed once the broadcast ended";
    calls.clear();
    zode::broadcast(700);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].object, killer);
    EXPECT_EQ(calls[2].object, first) << "the late subscriber first, and second's node is gone";
}

int32_t unregistersItself(zode::Message* m) {
    calls.push_back({m->object, m->code, m->a1});
    if (m->code == zode::kDestroy) zode::unregisterObject(m->object);
    return 0;
}

TEST_F(Zode, StopSendsDestroyToEveryObjectInSlotOrder) {
    int a = add(recorder, 32), b = add(unregistersItself, 8), c = add(recorder);
    zode::unregisterObject(b);
    int d = add(unregistersItself);
    calls.clear();
    zode::stop();
    EXPECT_FALSE(zode::started());
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].object, a);
    EXPECT_EQ(calls[1].object, d);
    EXPECT_EQ(calls[2].object, c);
    for (const Call& call : calls) EXPECT_EQ(call.code, zode::kDestroy);

    // Stopped: every operation refuses.
    zode::Request r = direct(recorder);
    EXPECT_EQ(zode::registerObject(&r), 0);
    EXPECT_EQ(zode::createEventType(1), 0);
    zode::broadcast(1);
    EXPECT_EQ(zode::send(0, 1), 0);
    ASSERT_EQ(zode::start(), 1);  // and a new start begins empty
    calls.clear();
    EXPECT_EQ(add(), 0);
}

}  // namespace
