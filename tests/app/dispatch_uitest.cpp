// The command table: registration, replacement, interception and window
// routing.

#include <QTest>

#include "app/command_ids.h"
#include "app/dispatch.h"

using namespace tarnel;

class DispatchTest : public QObject {
    Q_OBJECT

private slots:
    void runsTheHandlerOfTheId();
    void laterSetReplacesEarlier();
    void idsOutsideTheTableAreIgnored();
    void rangeSharesOneHandlerAndSeesTheId();
    void interceptorSeesCommandsFirst();
    void handlerMayReplaceItselfWhileRunning();
    void windowEventsGoToTheirWindow();
};

void DispatchTest::runsTheHandlerOfTheId() {
    Dispatch d;
    QList<int> ran;
    d.set(kCmdNegative, [&](int id) { ran << id; }, "negative");
    QVERIFY(d.run(kCmdNegative));
    QVERIFY(!d.run(kCmdFlip));  // no handler: ignored
    QCOMPARE(ran, QList<int>{kCmdNegative});
    QCOMPARE(QString::fromStdString(d.handlerName(kCmdNegative)), QStringLiteral("negative"));
    QVERIFY(d.handlerName(kCmdFlip).empty());
    d.clear(kCmdNegative);
    QVERIFY(!d.hasHandler(kCmdNegative));
}

void DispatchTest::laterSetReplacesEarlier() {
    Dispatch d;
    QString which;
    d.set(kCmdHelp, [&](int) { which = "stub"; });
    d.set(kCmdHelp, [&](int) { which = "real"; });
    d.run(kCmdHelp);
    QCOMPARE(which, QStringLiteral("real"));
}

void DispatchTest::idsOutsideTheTableAreIgnored() {
    Dispatch d;
    int calls = 0;
    d.set(-1, [&](int) { ++calls; });
    d.set(kCommandCount, [&](int) { ++calls; });
    QVERIFY(!d.run(-1));
    QVERIFY(!d.run(kCommandCount));
    QVERIFY(!d.run(1000));
    QCOMPARE(calls, 0);
}

void DispatchTest::rangeSharesOneHandlerAndSeesTheId() {
    Dispatch d;
    QList<int> seen;
    d.setRange(kCmdFirstEffect, kCmdLastEffect, [&](int id) {
        QCOMPARE(d.currentCommand(), id);
        seen << id;
    });
    for (int id = kCmdFirstEffect; id <= kCmdLastEffect; ++id) QVERIFY(d.run(id));
    QCOMPARE(seen.size(), kCmdLastEffect - kCmdFirstEffect + 1);
    QCOMPARE(seen.front(), 50);
    QCOMPARE(seen.back(), 64);
    QCOMPARE(d.currentCommand(), -1);
}

void DispatchTest::interceptorSeesCommandsFirst() {
    Dispatch d;
    QList<int> table, intercepted;
    d.set(kCmdNudgeLeft, [&](int id) { table << id; });
    d.set(kCmdUndo, [&](int id) { table << id; });
    // Like the floating-section placement: takes the arrows and Ctrl+arrows,
    // ignores the rest.
    d.setInterceptor([&](int id) {
        intercepted << id;
        return id == kCmdNudgeLeft || id == kCmdFloatRotateLeft;
    });
    QVERIFY(d.run(kCmdNudgeLeft));
    QVERIFY(d.run(kCmdFloatRotateLeft));  // no table entry, taken by the loop
    QVERIFY(d.run(kCmdUndo));             // declined: reaches the table
    QCOMPARE(intercepted, (QList<int>{kCmdNudgeLeft, kCmdFloatRotateLeft, kCmdUndo}));
    QCOMPARE(table, QList<int>{kCmdUndo});

    const auto previous = d.setInterceptor({});
    QVERIFY(previous);
    QVERIFY(!d.hasInterceptor());
    d.run(kCmdNudgeLeft);
    QCOMPARE(table, (QList<int>{kCmdUndo, kCmdNudgeLeft}));
}

void DispatchTest::handlerMayReplaceItselfWhileRunning() {
    Dispatch d;
    int first = 0, second = 0;
    d.set(kCmdRevert, [&](int) {
        ++first;
        d.set(kCmdRevert, [&](int) { ++second; });
        d.run(kCmdUndo);  // nested command without a handler
    });
    d.run(kCmdRevert);
    d.run(kCmdRevert);
    QCOMPARE(first, 1);
    QCOMPARE(second, 1);
}

void DispatchTest::windowEventsGoToTheirWindow() {
    Dispatch d;
    QList<int> main, histogram;
    d.setWindowHandler(kWindowMain, [&](WindowEvent e) { main << int(e); });
    d.setWindowHandler(kWindowHistogram, [&](WindowEvent e) { histogram << int(e); });
    QVERIFY(d.deliver(kWindowMain, WindowEvent::Close));
    QVERIFY(d.deliver(kWindowHistogram, WindowEvent::Size));
    QVERIFY(!d.deliver(kWindowHelp, WindowEvent::Close));  // no handler: dropped
    QVERIFY(!d.deliver(42, WindowEvent::Close));
    QCOMPARE(main, QList<int>{int(WindowEvent::Close)});
    QCOMPARE(histogram, QList<int>{int(WindowEvent::Size)});

    // A modal loop takes over the close box and gives it back.
    QList<int> loop;
    auto previous = d.setWindowHandler(kWindowMain, [&](WindowEvent e) { loop << int(e); });
    d.deliver(kWindowMain, WindowEvent::Close);
    d.setWindowHandler(kWindowMain, previous);
    d.deliver(kWindowMain, WindowEvent::Close);
    QCOMPARE(loop.size(), 1);
    QCOMPARE(main.size(), 2);
}

QTEST_MAIN(DispatchTest)
#include "dispatch_uitest.moc"
