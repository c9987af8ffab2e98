#include <fitwell/FitwellControl.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using fitwell::FitwellControl;

namespace {

// A window whose client widget is the form; each test names its own window,
// since the records are shared by the whole process.
struct Form {
    QWidget window;
    QWidget* client;
    FitwellControl* fitwell;

    Form(const char* name, int width, int height) : client(new QWidget(&window)) {
        window.setObjectName(QString::fromLatin1(name));
        client->setObjectName(QStringLiteral("client"));
        window.resize(width, height);
        client->setGeometry(0, 0, width, height);
        fitwell = new FitwellControl(client);
    }
    QWidget* control(const char* name, QRect geometry, int index = -1) {
        auto* w = new QLabel(client);
        w->setObjectName(QString::fromLatin1(name));
        if (index >= 0)
            w->setProperty("Index", index);
        w->setGeometry(geometry);
        return w;
    }
    void resize(int width, int height) { client->resize(width, height); }
};

TEST(Fitwell, FirstCallRecordsAndLaterCallsScaleFromTheBase) {
    Form form("FormScale", 600, 400);
    QWidget* box = form.control("Box", {100, 50, 200, 100});
    form.fitwell->ResizeControls(); // records, moves nothing
    EXPECT_EQ(box->geometry(), QRect(100, 50, 200, 100));
    int left, top, width, height;
    ASSERT_TRUE(FitwellControl::recordedGeometry(box, &left, &top, &width, &height));
    EXPECT_EQ(left, 1500);
    EXPECT_EQ(width, 3000);

    form.resize(660, 440); // 110 per cent both ways
    form.fitwell->ResizeControls();
    EXPECT_EQ(box->geometry(), QRect(110, 55, 220, 110));
    // The same ratios again move nothing.
    box->move(1, 1);
    form.resize(661, 441);
    form.fitwell->ResizeControls();
    EXPECT_EQ(box->pos(), QPoint(1, 1));
    // Back within one per cent of the recorded size: the recorded layout again.
    form.resize(604, 403);
    form.fitwell->ResizeControls();
    EXPECT_EQ(box->geometry(), QRect(100, 50, 200, 100));
    // Back to any size: positions come from the base, never accumulate.
    form.resize(660, 440);
    form.fitwell->ResizeControls();
    form.resize(1200, 800);
    form.fitwell->ResizeControls();
    EXPECT_EQ(box->geometry(), QRect(200, 100, 400, 200));
}

TEST(Fitwell, OffViewControlsStayParked) {
    Form form("FormOffView", 600, 400);
    QWidget* parked = form.control("Parked", {-5000 + 40, 20, 60, 30});
    form.fitwell->ResizeControls();
    int left, top, width, height;
    ASSERT_TRUE(FitwellControl::recordedGeometry(parked, &left, &top, &width, &height));
    EXPECT_EQ(left, 600);
    form.resize(660, 400);
    form.fitwell->ResizeControls();
    EXPECT_EQ(parked->x() * 15, 660 - 75000);
}

TEST(Fitwell, LineControlsAndTheirTwips) {
    Form form("FormLine", 600, 400);
    QWidget* line = form.control("Line1", {0, 0, 1, 1});
    line->setProperty("X1", 1234);
    line->setProperty("X2", 3000);
    line->setProperty("Y1", 100);
    line->setProperty("Y2", 100);
    form.fitwell->ResizeControls();
    form.resize(660, 400);
    form.fitwell->ResizeControls();
    EXPECT_EQ(line->property("X1").toInt(), 1357); // 135740 / 100, truncated
    EXPECT_EQ(line->property("X2").toInt(), 3300);
    EXPECT_EQ(line->property("Y1").toInt(), 100);
}

TEST(Fitwell, ArraysAreToldApartByIndex) {
    Form form("FormArray", 600, 400);
    QWidget* first = form.control("Command", {10, 10, 50, 20}, 0);
    QWidget* second = form.control("Command", {100, 10, 50, 20}, 1);
    QWidget* plainA = form.control("Plain", {20, 200, 50, 20});
    form.fitwell->ResizeControls();
    // A second control of that name without an index matches the first record.
    QWidget* plainB = form.control("Plain", {300, 300, 50, 20});
    form.resize(1200, 800);
    form.fitwell->ResizeControls();
    EXPECT_EQ(first->pos(), QPoint(20, 20));
    EXPECT_EQ(second->pos(), QPoint(200, 20));
    EXPECT_EQ(plainA->pos(), QPoint(40, 400));
    EXPECT_EQ(plainB->pos(), QPoint(40, 400));
}

TEST(Fitwell, ResetTakesTheCurrentLayoutAsBase) {
    Form form("FormReset", 600, 400);
    QWidget* box = form.control("Box", {100, 100, 100, 100});
    form.fitwell->ResetControls(); // first time: registers
    box->move(50, 50);
    form.resize(300, 200);
    form.fitwell->ResetControls();
    form.resize(600, 400);
    form.fitwell->ResizeControls();
    EXPECT_EQ(box->geometry(), QRect(100, 100, 200, 200));
}

TEST(Fitwell, SecondInstanceOfAFormSharesItsRecord) {
    Form first("FormShared", 600, 400);
    first.control("Box", {100, 100, 100, 100});
    first.fitwell->ResizeControls();
    Form second("FormShared", 1200, 800);
    QWidget* box = second.control("Box", {0, 0, 10, 10});
    second.fitwell->ResizeControls();
    EXPECT_EQ(box->geometry(), QRect(200, 200, 200, 200));
}

TEST(Fitwell, ZeroSizeAndLayoutsAreLeftAlone) {
    Form empty("FormZero", 0, 0);
    QWidget* box = empty.control("Box", {5, 5, 10, 10});
    empty.fitwell->ResizeControls();
    empty.resize(300, 300);
    empty.fitwell->ResizeControls(); // no division by zero, no move
    EXPECT_EQ(box->geometry(), QRect(5, 5, 10, 10));

    Form laid("FormLayout", 400, 300);
    auto* layout = new QVBoxLayout(laid.client);
    auto* button = new QPushButton(QStringLiteral("Managed"), laid.client);
    button->setObjectName(QStringLiteral("Managed"));
    layout->addWidget(button);
    laid.fitwell->ResizeControls();
    int left, top, width, height;
    EXPECT_FALSE(FitwellControl::recordedGeometry(button, &left, &top, &width, &height));
}

// A control made of parts of its own, as the photo control is.
class Composite : public QPushButton {
public:
    explicit Composite(QWidget* parent) : QPushButton(parent) {
        auto* part = new QLabel(this);
        part->setObjectName(QStringLiteral("Part"));
        part->setGeometry(1, 1, 10, 10);
    }
};

TEST(Fitwell, PartsOfAControlAreTheControlsOwn) {
    Form form("FormComposite", 400, 300);
    auto* composite = new Composite(form.client);
    composite->setObjectName(QStringLiteral("Composite"));
    composite->setGeometry(10, 10, 100, 100);
    auto* frame = new QFrame(form.client);
    frame->setObjectName(QStringLiteral("Frame"));
    auto* inFrame = new QLabel(frame);
    inFrame->setObjectName(QStringLiteral("InFrame"));
    form.fitwell->ResizeControls();
    int left, top, width, height;
    EXPECT_TRUE(FitwellControl::recordedGeometry(composite, &left, &top, &width, &height));
    EXPECT_TRUE(FitwellControl::recordedGeometry(inFrame, &left, &top, &width, &height));
    EXPECT_FALSE(FitwellControl::recordedGeometry(composite->findChild<QLabel*>(), &left, &top,
                                                  &width, &height));
}

TEST(Fitwell, AboutShowsItsNameAndKeepsItsIconSize) {
    Form form("FormAbout", 100, 100);
    QString caption, text;
    FitwellControl::setAboutPresenter([&](const QString& c, const QString& t) {
        caption = c;
        text = t;
    });
    form.fitwell->About();
    EXPECT_TRUE(caption.startsWith(QStringLiteral("Fitwell")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Fitwell\n")));
    FitwellControl::setAboutPresenter(nullptr);
    form.fitwell->resize(300, 300);
    EXPECT_LT(form.fitwell->width(), 300);
}

} // namespace
