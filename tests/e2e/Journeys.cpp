#include "Journeys.h"

#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>

namespace e2e {

Session::Session(std::unique_ptr<ProgramFolder> folder) : mFolder(std::move(folder)), mInput(mServer)
{
    // Pictures of an earlier run of this test would mix with this run's.
    QDir shots(ScreenshotDir());
    for (const QString& name : shots.entryList({QStringLiteral("*.png"), QStringLiteral("*.log")}, QDir::Files)) {
        shots.remove(name);
    }
}

Session::~Session()
{
    if (mProgram) {
        KillProgram();
    }
}

Program& Session::Start(const QString& logName, bool unprivileged)
{
    if (mProgram && mProgram->Running()) {
        ADD_FAILURE() << "the program is still running";
        KillProgram();
    }
    mProgram = std::make_unique<Program>(mServer, *mFolder, logName, unprivileged);
    return *mProgram;
}

void Session::KillProgram()
{
    if (mProgram && mProgram->Running()) {
        mProgram->Signal(SIGKILL);
        mProgram->WaitForExit(10000);
    }
}

std::optional<WindowInfo> Session::WaitWindow(const QString& title, std::optional<QSize> size, int timeoutMs)
{
    std::optional<WindowInfo> found;
    WaitFor(
        [&] {
            found = mServer.FindWindow(title, size);
            return found.has_value() || (mProgram && !mProgram->Running());
        },
        timeoutMs);
    return found;
}

bool Session::WaitGone(const QString& title, int timeoutMs)
{
    return WaitFor([&] { return !mServer.FindWindow(title).has_value(); }, timeoutMs);
}

std::optional<WindowInfo> Session::WaitNewScreen(unsigned long previous, int timeoutMs)
{
    std::optional<WindowInfo> found;
    WaitFor(
        [&] {
            found = mServer.FindWindow(kProgramTitle, mServer.ScreenSize());
            if (found && found->Id == previous) {
                found.reset();
            }
            return found.has_value() || (mProgram && !mProgram->Running());
        },
        timeoutMs);
    return found;
}

bool Session::WaitWindowGone(unsigned long id, int timeoutMs)
{
    return WaitFor(
        [&] {
            const std::vector<WindowInfo> windows = mServer.Windows();
            return std::none_of(windows.begin(), windows.end(), [&](const WindowInfo& w) { return w.Id == id; });
        },
        timeoutMs);
}

bool Session::WaitSettled(const QRect& rect, int timeoutMs)
{
    QImage last = mServer.Grab(rect);
    return WaitFor(
        [&] {
            QImage now = mServer.Grab(rect);
            const bool same = now == last;
            last = std::move(now);
            return same;
        },
        timeoutMs, 100);
}

std::optional<WindowInfo> Session::StartToMainMenu(bool unprivileged)
{
    Start(QStringLiteral("program"), unprivileged);
    const std::optional<WindowInfo> splash = WaitWindow(kProgramTitle, kSplashSize);
    if (!splash) {
        ADD_FAILURE() << "no splash; program log:\n" << mProgram->Log().toStdString();
        return std::nullopt;
    }
    // Photographed once the first step's status text stands in its top strip (LabStart at 24, 8 pixels).
    const QRect status(splash->Geometry.topLeft(), QSize(splash->Geometry.width(), 24));
    const QImage blank = mServer.Grab(status);
    if (WaitFor([&] { return mServer.Grab(status) != blank; }, 3000)) {
        Shot(QStringLiteral("splash"));
    }
    const std::optional<WindowInfo> menu = WaitNewScreen(0);
    if (!menu) {
        ADD_FAILURE() << "no main menu; program log:\n" << mProgram->Log().toStdString();
        return std::nullopt;
    }
    WaitSettled(menu->Geometry);
    return menu;
}

QPoint Session::PanelPoint(const FormLayout& layout, const QString& control, const WindowInfo& screen) const
{
    // The panel's left and top in twips, (screen - panel) / 2 rounded, then pixels.
    const int screenW = screen.Geometry.width() * 15;
    const int screenH = screen.Geometry.height() * 15;
    const QPoint panel(int(std::nearbyint((screenW - 15390) / 2.0 / 15.0)),
                       int(std::nearbyint((screenH - 11550) / 2.0 / 15.0)));
    const QRect picExam = layout.Twips(QStringLiteral("PicExam"));
    return layout.Centre(control, screen.Geometry.topLeft(), panel - picExam.topLeft() / 15);
}

QRect Session::PanelRect(const FormLayout& layout, const QString& control, const WindowInfo& screen) const
{
    const QRect twips = layout.Twips(control);
    const QPoint centre = PanelPoint(layout, control, screen);
    return QRect(centre - QPoint(twips.width() / 30, twips.height() / 30),
                 QSize(twips.width() / 15, twips.height() / 15));
}

QPoint Session::DialogPoint(const FormLayout& layout, const QString& control, const WindowInfo& window) const
{
    return layout.Centre(control, window.Geometry.topLeft());
}

bool Session::ChooseTrade(const WindowInfo& menu, bool mock, int trade)
{
    const FormLayout main(QStringLiteral("FrmMain"));
    const FormLayout chooser(QStringLiteral("FrmZjcx"));
    Click(PanelPoint(main, mock ? QStringLiteral("CmdMnExam") : QStringLiteral("CmdExamStr"), menu));
    const std::optional<WindowInfo> dialog = WaitWindow(kTradeChooserTitle);
    if (!dialog) {
        ADD_FAILURE() << "no trade chooser";
        return false;
    }
    Click(DialogPoint(chooser, QStringLiteral("OptSlcCX(%1)").arg(trade), *dialog));
    Click(DialogPoint(chooser, QStringLiteral("CmdYes"), *dialog));
    if (!WaitGone(kTradeChooserTitle)) {
        ADD_FAILURE() << "the trade chooser stays";
        return false;
    }
    return true;
}

bool Session::AnswerBox(const QString& title, const QString& key, const QString& shot)
{
    const std::optional<WindowInfo> box = WaitBox(title);
    if (!box) {
        return false;
    }
    WaitSettled(box->Geometry, 2000);
    if (!shot.isEmpty()) {
        Shot(shot);
    }
    // The key goes where the pointer is when nothing has the focus; the box asks for it anyway.
    mInput.MoveTo(box->Geometry.center());
    mInput.Key(key);
    return WaitWindowGone(box->Id);
}

std::optional<WindowInfo> Session::WaitBox(const QString& title, int timeoutMs)
{
    std::optional<WindowInfo> found;
    WaitFor(
        [&] {
            found.reset();
            for (const WindowInfo& window : mServer.Windows()) {
                if (window.Title == title && window.Geometry.size() != mServer.ScreenSize() &&
                    window.Geometry.size() != kSplashSize) {
                    found = window;
                }
            }
            return found.has_value() || (mProgram && !mProgram->Running());
        },
        timeoutMs);
    if (found) {
        // Mapped is not yet painted: a box is painted once its corner has the window colour (239 grey).
        WaitFor(
            [&] {
                const QImage corner = mServer.Grab(QRect(found->Geometry.topLeft() + QPoint(2, 2), QSize(1, 1)));
                return !corner.isNull() && corner.pixel(0, 0) == qRgb(239, 239, 239);
            },
            5000);
    }
    return found;
}

QString Session::BoxText(const QString& title, const QString& shot)
{
    const std::optional<WindowInfo> box = WaitBox(title);
    if (!box) {
        return {};
    }
    WaitSettled(box->Geometry, 2000);
    if (!shot.isEmpty()) {
        Shot(shot);
    }
    // The text is black; the icons are coloured and the buttons stand in the bottom 45 pixels. A
    // click on the rightmost black pixel lands on the text, whose label then selects all and copies.
    const QImage image = mServer.Grab(box->Geometry);
    QPoint onText(-1, -1);
    for (int y = 0; y < image.height() - 45; ++y) {
        for (int x = image.width() - 1; x > onText.x(); --x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60) {
                onText = QPoint(x, y);
                break;
            }
        }
    }
    if (onText.x() < 0) {
        ADD_FAILURE() << "no text in the box " << title.toStdString();
        return {};
    }
    mServer.ClearClipboard();
    mInput.Click(box->Geometry.topLeft() + onText);
    mInput.Key(QStringLiteral("ctrl+a"));
    mInput.Key(QStringLiteral("ctrl+c"));
    return mServer.ClipboardText();
}

QString Session::Shot(const QString& name)
{
    ++mShotNumber;
    return SaveShot(mServer.Grab(), QStringLiteral("%1-%2").arg(mShotNumber, 2, 10, QLatin1Char('0')).arg(name));
}

// ---------------------------------------------------------------------------------------------
// ExamScreen

ExamScreen::ExamScreen(Session& session, const WindowInfo& window)
    : mSession(session), mWindow(window), mLayout(QStringLiteral("FrmExam"))
{
}

QPoint ExamScreen::Point(const QString& control) const
{
    return mSession.PanelPoint(mLayout, control, mWindow);
}

QRect ExamScreen::Rect(const QString& control) const
{
    return mSession.PanelRect(mLayout, control, mWindow);
}

QRect ExamScreen::NumberButtonRect(int question) const
{
    const int i = question - 1;
    const QRect box = Rect(QStringLiteral("PicBut"));
    const int left = 120 + (i % 8) * (300 + 210);
    const int top = 120 + (i / 8) * (300 + 260);
    return QRect(box.topLeft() + QPoint(left / 15, top / 15), QSize(20, 20));
}

QPoint ExamScreen::NumberButton(int question) const
{
    return NumberButtonRect(question).center();
}

std::vector<QPoint> ExamScreen::Options() const
{
    const QRect area = Rect(QStringLiteral("Picture1"));
    const QImage image = mSession.Server().Grab(area);
    // The options' "k 、" starts at 720 twips (48 pixels); continuation lines of a long option start
    // there too, but lie closer to the line above than the 120-twip gap between two options.
    std::vector<std::pair<int, int>> lines; // first and last row of each text line
    for (int y = 0; y < image.height(); ++y) {
        bool black = false;
        for (int x = 46; x < 58 && !black; ++x) {
            const QRgb p = image.pixel(x, y);
            black = qRed(p) < 70 && qGreen(p) < 70 && qBlue(p) < 70;
        }
        if (!black) {
            continue;
        }
        if (!lines.empty() && y - lines.back().second <= 1) {
            lines.back().second = y;
        } else {
            lines.emplace_back(y, y);
        }
    }
    std::vector<QPoint> options;
    int lastBottom = -100;
    for (const auto& [top, bottom] : lines) {
        if (top - lastBottom > 10) {
            options.push_back(area.topLeft() + QPoint(48 + 40, (top + bottom) / 2));
        }
        lastBottom = bottom;
    }
    return options;
}

QImage ExamScreen::Grab(const QString& control) const
{
    return mSession.Server().Grab(Rect(control));
}

bool ExamScreen::WaitChange(const QString& control, const QImage& before, int timeoutMs) const
{
    return WaitFor([&] { return Grab(control) != before; }, timeoutMs, 10);
}

bool ExamScreen::WaitQuestionChange(const QImage& before, int timeoutMs) const
{
    if (!WaitChange(QStringLiteral("Picture1"), before, timeoutMs)) {
        return false;
    }
    return mSession.WaitSettled(Rect(QStringLiteral("Picture1")), timeoutMs);
}

int ExamScreen::CountColour(const QRect& rect, QRgb colour) const
{
    const QImage image = mSession.Server().Grab(rect);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff) ? 1 : 0;
        }
    }
    return count;
}

void ExamScreen::DeclineEndByKey(const QString& text)
{
    mSession.Keys().MoveTo(Point(QStringLiteral("Label2")));
    mSession.Keys().Key(QStringLiteral("b"));
    const QString asked = mSession.BoxText(kExamNoticeTitle);
    EXPECT_TRUE(asked.contains(text)) << "B asks " << asked.toStdString();
    EXPECT_TRUE(mSession.AnswerBox(kExamNoticeTitle, QStringLiteral("n"))) << "否 does not close the question";
    // A second question would come as the first one's 否 is handled: at once, well within this.
    QThread::msleep(500);
    EXPECT_FALSE(mSession.Server().FindWindow(kExamNoticeTitle).has_value()) << "B asks again after 否";
}

} // namespace e2e
