// The Qt side of the platform: pixel conversion, text on images, the event
// queue, message boxes and the pointer.

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/canvas_widget.h"
#include "app/editor.h"
#include "app/platform_qt.h"

using namespace tarnel;

namespace {

// Answers the next modal message box by clicking the button with the text.
void clickInNextMessageBox(const QString& button, QString* title, QString* text) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *title = box->windowTitle();
        *text = box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (b->text().remove('&') == button) b->click();
        }
    });
}

}  // namespace

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void pixelsConvertWithoutLoss_data();
    void pixelsConvertWithoutLoss();
    void textOn24BitImageKeepsTopByte();
    void textOn32BitImageIsOpaqueWhereDrawn();
    void textSizeMatchesTheFont();
    void postedEventsArriveInOrderAfterTheCurrentOne();
    void messageBoxAnswerer();
    void realMessageBoxYesAndNo_data();
    void realMessageBoxYesAndNo();
    void homeFolderEndsInSeparator();
    void pointerRoundTripsThroughTheCanvas();
};

void PlatformTest::pixelsConvertWithoutLoss_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("1x1") << 1 << 1;
    QTest::newRow("7x3") << 7 << 3;
    QTest::newRow("33x9") << 33 << 9;
}

void PlatformTest::pixelsConvertWithoutLoss() {
    QFETCH(int, width);
    QFETCH(int, height);
    Image rgbaImage(width, height, 32);
    Image rgbImage(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Color c = tarnel::rgba(x * 37 % 256, y * 91 % 256, (x + y) * 13 % 256, (x * y * 7) % 256);
            rgbaImage.setPixel(x, y, c);
            rgbImage.setPixel(x, y, c & kColorMask);
        }
    const QImage q32 = toQImage(rgbaImage);
    QCOMPARE(q32.format(), QImage::Format_RGBA8888);
    const Color last = rgbaImage.pixel(width - 1, height - 1);
    QCOMPARE(q32.pixelColor(width - 1, height - 1), QColor(redOf(last), greenOf(last), blueOf(last), alphaOf(last)));
    QCOMPARE(fromQImage(q32, 32), rgbaImage);
    // 24-bit: shown opaque, back with the top byte 0.
    const QImage q24 = toQImage(rgbImage);
    QCOMPARE(q24.pixelColor(0, 0).alpha(), 255);
    QCOMPARE(fromQImage(q24, 24), rgbImage);
}

void PlatformTest::textOn24BitImageKeepsTopByte() {
    QtPlatform platform;
    const Color fill = rgb(10, 20, 200);
    Image image(120, 60, 24, fill);
    const FontSpec font{"Arial", 20, true, false, true};
    platform.drawText(image, "Ag", font, rgb(255, 255, 0), 5, 5);
    int changed = 0, blended = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color c = image.pixel(x, y);
            QCOMPARE(alphaOf(c), 0);
            if (c != fill) ++changed;
            // Glyph edges mix the text colour with the fill.
            if (c != fill && c != rgb(255, 255, 0)) ++blended;
        }
    QVERIFY(changed > 50);
    QVERIFY(blended > 0);
    // Nothing above or left of the text's top-left corner.
    for (int x = 0; x < image.width(); ++x) QCOMPARE(image.pixel(x, 0), fill);
    for (int y = 0; y < image.height(); ++y) QCOMPARE(image.pixel(0, y), fill);
}

void PlatformTest::textOn32BitImageIsOpaqueWhereDrawn() {
    QtPlatform platform;
    Image image(100, 60, 32, 0);  // fully transparent
    const FontSpec font{.family = "Arial", .pointSize = 24, .bold = true, .italic = true, .highQuality = true};
    platform.drawText(image, "by", font, rgb(0x3F, 0xFF, 0x00), 2, 2);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color c = image.pixel(x, y);
            if (alphaOf(c) == 255) {
                ++opaque;
                QCOMPARE(c & kColorMask, rgb(0x3F, 0xFF, 0x00));
            }
        }
    QVERIFY(opaque > 30);
}

void PlatformTest::textSizeMatchesTheFont() {
    QtPlatform platform;
    const FontSpec title{"Arial", 36, true, true, true};
    const QFont font = toQFont(title);
    // 36 points at 96 pixels per inch.
    QCOMPARE(font.pixelSize(), 48);
    QVERIFY(font.bold() && font.italic());
    const Size ag = platform.textSize("Ag", title);
    QCOMPARE(ag.height, QFontMetrics(font).height());
    QVERIFY(ag.height >= 48);
    QVERIFY(platform.textSize("Tarnel 2.0", title).width > platform.textSize("by", title).width);
    QCOMPARE(platform.textSize("", title).width, 0);
}

void PlatformTest::postedEventsArriveInOrderAfterTheCurrentOne() {
    QtPlatform platform;
    QList<int> codes;
    platform.setEventHandler([&](const CustomEvent& e) { codes << e.code * 100 + e.data; });
    platform.postEvent(CustomEvent{65585, 0, 3});
    platform.postEvent(CustomEvent{65585, 0, 1});
    platform.postEvent(CustomEvent{65583, 0, 0});
    QVERIFY(codes.isEmpty());  // queued, not delivered while posting
    QCoreApplication::processEvents();
    QCOMPARE(codes, (QList<int>{6558503, 6558501, 6558300}));
}

void PlatformTest::messageBoxAnswerer() {
    QtPlatform platform;
    platform.setMessageAnswerer([](const QtPlatform::Question& q) {
        return q.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    });
    QCOMPARE(platform.messageBox("End Program", "Are you sure?", MessageButtons::YesNo), MessageAnswer::No);
    QCOMPARE(platform.messageBox("Unique colors", "42", MessageButtons::Ok), MessageAnswer::Ok);
    QCOMPARE(platform.asked().size(), std::size_t(2));
    QCOMPARE(QString::fromStdString(platform.asked()[0].title), QStringLiteral("End Program"));
    QCOMPARE(QString::fromStdString(platform.asked()[1].text), QStringLiteral("42"));
}

void PlatformTest::realMessageBoxYesAndNo_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << "Yes" << int(MessageAnswer::Yes);
    QTest::newRow("No") << "No" << int(MessageAnswer::No);
}

void PlatformTest::realMessageBoxYesAndNo() {
    QFETCH(QString, button);
    QFETCH(int, answer);
    QtPlatform platform;
    QString title, text;
    clickInNextMessageBox(button, &title, &text);
    QCOMPARE(int(platform.messageBox("End Program", "Are you sure?", MessageButtons::YesNo)), answer);
    QCOMPARE(title, QStringLiteral("End Program"));
    QCOMPARE(text, QStringLiteral("Are you sure?"));
}

void PlatformTest::homeFolderEndsInSeparator() {
    QtPlatform platform;
    const std::string home = platform.homeFolder();
    QVERIFY(!home.empty());
    QVERIFY(home.back() == '/' || home.back() == '\\');
    platform.setHomeFolder("/somewhere/else/");
    QCOMPARE(QString::fromStdString(platform.homeFolder()), QStringLiteral("/somewhere/else/"));
}

void PlatformTest::pointerRoundTripsThroughTheCanvas() {
    QtPlatform platform;
    Editor editor(platform);
    QWidget top;
    top.resize(300, 200);
    auto* canvas = new CanvasWidget(editor, &top);
    canvas->setGeometry(20, 30, 200, 100);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    platform.attach(nullptr, canvas);
    platform.setPointerPosition(Point{15, 25});
    QCOMPARE(platform.pointerPosition(), (Point{15, 25}));
    const Point origin = platform.canvasScreenOrigin();
    const QPoint expected = canvas->mapToGlobal(QPoint(0, 0));
    QCOMPARE(origin, (Point{expected.x(), expected.y()}));
    platform.setCanvasCursor(CursorShape::Cross);
    QCOMPARE(canvas->cursor().shape(), Qt::CrossCursor);
    platform.setCanvasCursor(CursorShape::SizeAll);
    QCOMPARE(canvas->cursor().shape(), Qt::SizeAllCursor);
    // Calls that need the main window do nothing without one.
    platform.setStatusText(0, "ignored");
    QCOMPARE(platform.innerSize(), (Size{0, 0}));
}

QTEST_MAIN(PlatformTest)
#include "platform_uitest.moc"
