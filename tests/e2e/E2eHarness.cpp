#include "E2eHarness.h"

#include "AppResources.h"
#include "BankBuilder.h"
#include "BankSource.h"
#include "ClQuAK.h"
#include "Connection.h"
#include "DesignData.h"
#include "QuestionText.h"
#include "Recordset.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

// Xlib last: its macros (None, Bool, Status, Window) clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

extern char** environ;

namespace e2e {

namespace {

::Display* X(void* display)
{
    return static_cast<::Display*>(display);
}

// X errors of a window that vanished between listing and asking are expected; nothing else is.
int IgnoreXErrors(::Display*, XErrorEvent*)
{
    return 0;
}

QString WindowTitle(::Display* display, ::Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return title;
}

// In a sanitizer build the program reports a fault of its own in its output and ends, with a status
// that a journey which kills the program anyway never looks at: the report itself fails the test.
void ExpectNoSanitizerReport(const QString& log)
{
    static const QRegularExpression report(QStringLiteral("ERROR: [A-Za-z]+Sanitizer|: runtime error: "));
    if (report.match(log).hasMatch()) {
        ADD_FAILURE() << "the program reported a fault:\n" << log.toStdString();
    }
}

} // namespace

bool WaitFor(const std::function<bool()>& condition, int timeoutMs, int pollMs)
{
    const double until = NowMs() + timeoutMs;
    while (true) {
        if (condition()) {
            return true;
        }
        if (NowMs() > until) {
            return false;
        }
        QThread::msleep(static_cast<unsigned long>(pollMs));
    }
}

double NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// ---------------------------------------------------------------------------------------------
// XServer

XServer::XServer()
{
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    // Its complaints about missing fonts and keymaps are noise in the test output.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb",         "-displayfd", "3",   "-screen",  "0",
                          "1280x1024x24", "-nolisten",  "tcp", "-noreset", nullptr};
    const int spawned = posix_spawnp(&mPid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        mPid = 0;
        return;
    }
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    while (poll(&wait, 1, 20000) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        return;
    }
    mName = QStringLiteral(":") + QString::fromStdString(number);
    XSetErrorHandler(IgnoreXErrors);
    mDisplay = XOpenDisplay(mName.toLocal8Bit().constData());
}

XServer::~XServer()
{
    if (mDisplay != nullptr) {
        XCloseDisplay(X(mDisplay));
    }
    if (mPid > 0) {
        kill(mPid, SIGTERM);
        int status = 0;
        waitpid(mPid, &status, 0);
    }
}

QSize XServer::ScreenSize() const
{
    ::Display* display = X(mDisplay);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, DefaultRootWindow(display), &attributes);
    return {attributes.width, attributes.height};
}

bool XServer::SetScreenSize(QSize size)
{
    ::Display* display = X(mDisplay);
    const ::Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    if (resources == nullptr || resources->noutput < 1 || resources->ncrtc < 1) {
        return false;
    }
    RROutput output = resources->outputs[0];
    RRCrtc crtc = resources->crtcs[0];
    RRMode mode = 0;
    for (int i = 0; i < resources->nmode; ++i) {
        if (int(resources->modes[i].width) == size.width() && int(resources->modes[i].height) == size.height()) {
            mode = resources->modes[i].id;
        }
    }
    if (mode == 0) {
        // Timings do not matter to a virtual screen; the name says what it is.
        const QByteArray name = QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toLatin1();
        XRRModeInfo info{};
        info.width = static_cast<unsigned>(size.width());
        info.height = static_cast<unsigned>(size.height());
        info.hTotal = info.width + 160;
        info.vTotal = info.height + 30;
        info.dotClock = static_cast<unsigned long>(info.hTotal) * info.vTotal * 60;
        info.name = const_cast<char*>(name.constData());
        info.nameLength = static_cast<unsigned>(name.size());
        mode = XRRCreateMode(display, root, &info);
        XRRAddOutputMode(display, output, mode);
    }
    XGrabServer(display);
    XRRSetCrtcConfig(display, resources, crtc, CurrentTime, 0, 0, 0, RR_Rotate_0, nullptr, 0);
    const int mm = 25; // any physical size; nobody reads it
    XRRSetScreenSize(display, root, size.width(), size.height(), mm * size.width() / 96, mm * size.height() / 96);
    const Status set = XRRSetCrtcConfig(display, resources, crtc, CurrentTime, 0, 0, mode, RR_Rotate_0, &output, 1);
    XUngrabServer(display);
    XSync(display, False);
    XRRFreeScreenResources(resources);
    return set == RRSetConfigSuccess && ScreenSize() == size;
}

std::vector<WindowInfo> XServer::Windows() const
{
    std::vector<WindowInfo> windows;
    ::Display* display = X(mDisplay);
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return windows;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) == 0 || attributes.map_state != IsViewable ||
            attributes.c_class != InputOutput) {
            continue;
        }
        const QString title = WindowTitle(display, children[i]);
        if (title.isEmpty()) {
            continue; // Qt's helper windows
        }
        windows.push_back({children[i], title, QRect(attributes.x, attributes.y, attributes.width, attributes.height)});
    }
    if (children != nullptr) {
        XFree(children);
    }
    return windows;
}

std::optional<WindowInfo> XServer::FindWindow(const QString& title, std::optional<QSize> size) const
{
    const std::vector<WindowInfo> windows = Windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (it->Title == title && (!size || it->Geometry.size() == *size)) {
            return *it;
        }
    }
    return std::nullopt;
}

QImage XServer::Grab() const
{
    return Grab(QRect(QPoint(0, 0), ScreenSize()));
}

QImage XServer::Grab(const QRect& rect) const
{
    ::Display* display = X(mDisplay);
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), rect.x(), rect.y(), static_cast<unsigned>(rect.width()),
                  static_cast<unsigned>(rect.height()), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return {};
    }
    QImage result(rect.size(), QImage::Format_RGB32);
    for (int y = 0; y < rect.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < rect.width(); ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            // A 24-bit TrueColor visual: red, green, blue in the masks' order.
            line[x] = qRgb(int((pixel & image->red_mask) >> 16), int((pixel & image->green_mask) >> 8),
                           int(pixel & image->blue_mask));
        }
    }
    XDestroyImage(image);
    return result;
}

QPoint XServer::Pointer() const
{
    ::Display* display = X(mDisplay);
    ::Window root = 0;
    ::Window child = 0;
    int x = 0;
    int y = 0;
    int wx = 0;
    int wy = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy, &mask);
    return {x, y};
}

QString XServer::ClipboardText(int timeoutMs) const
{
    ::Display* display = X(mDisplay);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom property = XInternAtom(display, "QKM_E2E_CLIPBOARD", False);
    if (!WaitFor([&] { return XGetSelectionOwner(display, clipboard) != 0; }, timeoutMs, 10)) {
        return {};
    }
    const ::Window requestor = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(display, clipboard, utf8, property, requestor, CurrentTime);
    XFlush(display);
    QString text;
    XEvent event{};
    const bool answered = WaitFor(
        [&] { return XCheckTypedWindowEvent(display, requestor, SelectionNotify, &event) == True; }, timeoutMs, 10);
    if (answered && event.xselection.property != 0) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, requestor, property, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count,
                               &after, &data) == Success &&
            data != nullptr) {
            text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        }
        if (data != nullptr) {
            XFree(data);
        }
    }
    XDestroyWindow(display, requestor);
    XFlush(display);
    return text;
}

void XServer::ClearClipboard() const
{
    ::Display* display = X(mDisplay);
    XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), 0, CurrentTime);
    XFlush(display);
}

// ---------------------------------------------------------------------------------------------
// Input

void Input::Run(const QStringList& arguments)
{
    QProcess xdotool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), mServer.Name());
    xdotool.setProcessEnvironment(env);
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForFinished(10000) || xdotool.exitCode() != 0) {
        ADD_FAILURE() << "xdotool " << arguments.join(QLatin1Char(' ')).toStdString()
                      << " failed: " << xdotool.readAllStandardError().toStdString();
    }
}

void Input::MoveTo(QPoint at)
{
    // From where the pointer is, in four steps, so that the controls see it arrive.
    const QPoint from = mServer.Pointer();
    QStringList arguments;
    for (int step = 1; step <= 4; ++step) {
        const QPoint p = from + (at - from) * step / 4;
        if (!arguments.isEmpty()) {
            arguments << QStringLiteral("sleep") << QStringLiteral("0.01");
        }
        arguments << QStringLiteral("mousemove") << QString::number(p.x()) << QString::number(p.y());
    }
    Run(arguments);
}

void Input::Click(QPoint at)
{
    MoveTo(at);
    Run({QStringLiteral("click"), QStringLiteral("1")});
}

void Input::Key(const QString& keysym)
{
    Run({QStringLiteral("key"), keysym});
}

// ---------------------------------------------------------------------------------------------
// Paths and folders

QString ProgramExecutable()
{
    return QStringLiteral(QKM_E2E_PROGRAM);
}

QString DemoBank()
{
    return QStringLiteral(QKM_E2E_DEMO_BANK);
}

QString ScreenshotDir()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QString name = test != nullptr ? QString::fromLatin1(test->test_suite_name()) + QLatin1Char('.') +
                                         QString::fromLatin1(test->name())
                                   : QStringLiteral("outside-tests");
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString dir = QStringLiteral(QKM_E2E_SHOT_DIR) + QLatin1Char('/') + name;
    QDir().mkpath(dir);
    return dir;
}

QString SaveShot(const QImage& image, const QString& name)
{
    const QString path = ScreenshotDir() + QLatin1Char('/') + name + QStringLiteral(".png");
    image.save(path, "PNG");
    return path;
}

ProgramFolder::ProgramFolder()
{
    QFile::copy(DemoBank(), Bank());
    QFile::setPermissions(Bank(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

ProgramFolder::~ProgramFolder()
{
    // Removable again, whoever runs the tests.
    QFile::setPermissions(Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QString& name : QDir(Path()).entryList(QDir::Files)) {
        QFile::setPermissions(File(name), QFile::ReadOwner | QFile::WriteOwner);
    }
}

void ProgramFolder::MakeReadOnly()
{
    for (const QString& name : QDir(Path()).entryList(QDir::Files)) {
        QFile::setPermissions(File(name), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    QFile::setPermissions(Path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::ExeOther);
}

void ProgramFolder::BuildBank(const std::string& sourceText)
{
    QFile::remove(Bank());
    Bank::Build(Bank::ParseSource(sourceText, QDir::currentPath().toStdString(), "test bank"), Bank().toStdString());
}

void ProgramFolder::Write(const QString& name, const QByteArray& content)
{
    QFile file(File(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ADD_FAILURE() << "cannot write " << name.toStdString();
        return;
    }
    file.write(content);
}

QByteArray ProgramFolder::Read(const QString& name) const
{
    QFile file(File(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ---------------------------------------------------------------------------------------------
// Program

Program::Program(const XServer& server, const ProgramFolder& folder, const QString& logName, bool unprivileged)
{
    mLogPath = ScreenshotDir() + QLatin1Char('/') + logName + QStringLiteral(".log");
    // The environment of a person's session: this test's platform settings stay out.
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("DISPLAY=", 0) == 0 ||
            entry.rfind("QKMEXAM_DIR=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0) {
            continue;
        }
        env.push_back(entry);
    }
    env.push_back("DISPLAY=" + server.Name().toStdString());
    env.push_back("QKMEXAM_DIR=" + folder.Path().toStdString());
    std::vector<char*> envp;
    for (std::string& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    const QByteArray program = QFile::encodeName(ProgramExecutable());
    const QByteArray log = QFile::encodeName(mLogPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so that a signal meant for the test never reaches it and the other way round.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> argv;
    const char* dropToNobody[] = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    if (unprivileged && geteuid() == 0) {
        for (const char* word : dropToNobody) {
            argv.push_back(const_cast<char*>(word));
        }
    }
    argv.push_back(const_cast<char*>(program.constData()));
    argv.push_back(nullptr);
    mStartedAt = NowMs();
    if (posix_spawn(&mPid, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) {
        mPid = 0;
        mExited = true;
        ADD_FAILURE() << "cannot start " << program.constData();
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
}

Program::~Program()
{
    if (!Running()) {
        return;
    }
    kill(mPid, SIGKILL);
    WaitForExit(10000);
}

bool Program::Running()
{
    if (mExited || mPid <= 0) {
        return false;
    }
    const pid_t done = waitpid(mPid, &mStatus, WNOHANG);
    if (done == mPid) {
        mExited = true;
        ExpectNoSanitizerReport(Log());
    }
    return !mExited;
}

bool Program::WaitForExit(int timeoutMs)
{
    return WaitFor([this] { return !Running(); }, timeoutMs, 10);
}

int Program::ExitCode() const
{
    return mExited && WIFEXITED(mStatus) ? WEXITSTATUS(mStatus) : -1;
}

int Program::TermSignal() const
{
    return mExited && WIFSIGNALED(mStatus) ? WTERMSIG(mStatus) : 0;
}

bool Program::CoreDumped() const
{
    return mExited && WIFSIGNALED(mStatus) && WCOREDUMP(mStatus);
}

void Program::Signal(int signal)
{
    if (mPid > 0 && !mExited) {
        kill(mPid, signal);
    }
}

QString Program::Log() const
{
    QFile file(mLogPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

long Program::ResidentKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(mPid));
    if (mExited || !status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// BankReader

struct BankReader::State {
    Ado::Connection Conn;
    ClQuAK Cipher;
    ByteArray Key = GetQuestionKey();

    QString Decipher(const Ado::Variant& stored)
    {
        if (stored.IsNull()) {
            return {};
        }
        const QString text = stored.ToString();
        std::u16string plain;
        if (!DecipherQuestionText(Cipher, Key,
                                  std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                      static_cast<std::size_t>(text.size())),
                                  plain)) {
            return QStringLiteral("<undecipherable>");
        }
        QString result = QString::fromStdU16String(plain);
        result.remove(QChar(u'\0'));
        return result;
    }
};

BankReader::BankReader(const QString& bankPath) : mState(std::make_unique<State>())
{
    mState->Conn.Open(QStringLiteral("Data Source=") + bankPath + QStringLiteral(";Jet OLEDB:Database Password=") +
                      QString::fromUtf16(kQuestionBankPassword));
}

BankReader::~BankReader() = default;

std::vector<PaperRow> BankReader::Paper()
{
    std::vector<PaperRow> rows;
    auto rs = mState->Conn.Execute(
        QStringLiteral("Select ExamID, ExamPaperID, Exam_ThemePaper.ThemeID, Exam_ThemePaper.ThemeFraction, "
                       "Exam_ThemePaper.ThemeAnswer, StudentAnswer, StudentDf, ThemeType, ThemeChapter "
                       "From Exam_ThemePaper Left Join Exam_Theme On Exam_Theme.ThemeID = Exam_ThemePaper.ThemeID "
                       "Order By ExamID"));
    for (; !rs->Eof(); rs->MoveNext()) {
        PaperRow row;
        row.ExamID = rs->Fields(0).ToInt();
        row.ExamPaperID = rs->Fields(1).ToString();
        row.ThemeID = rs->Fields(2).ToInt();
        row.Points = rs->Fields(3).ToDouble();
        row.RightAnswer = mState->Decipher(rs->Fields(4));
        row.Answered = !rs->Fields(5).IsNull();
        row.StudentAnswer = mState->Decipher(rs->Fields(5));
        if (!rs->Fields(6).IsNull()) {
            row.Awarded = rs->Fields(6).ToDouble();
        }
        row.ThemeType = rs->Fields(7).IsNull() ? 0 : rs->Fields(7).ToInt();
        row.ThemeChapter = rs->Fields(8).IsNull() ? 0 : rs->Fields(8).ToInt();
        rows.push_back(row);
    }
    return rows;
}

std::vector<KeySlotRow> BankReader::Keys()
{
    std::vector<KeySlotRow> rows;
    auto rs = mState->Conn.Execute(QStringLiteral("Select ID, KeyCode, KeyValues From Sys_KeyCfg Order By ID"));
    for (; !rs->Eof(); rs->MoveNext()) {
        KeySlotRow row;
        row.ID = rs->Fields(0).ToInt();
        if (!rs->Fields(1).IsNull()) {
            row.KeyCode = rs->Fields(1).ToInt();
        }
        row.KeyValues = rs->Fields(2).ToString();
        rows.push_back(row);
    }
    return rows;
}

QString BankReader::RightAnswer(int themeId)
{
    auto rs =
        mState->Conn.Execute(QStringLiteral("Select ThemeAnswer From Exam_Theme Where ThemeID = %1").arg(themeId));
    return rs->Eof() ? QString() : mState->Decipher(rs->Fields(0));
}

QStringList BankReader::Options(int themeId)
{
    auto rs = mState->Conn.Execute(
        QStringLiteral(
            "Select ThemeAnswer1, ThemeAnswer2, ThemeAnswer3, ThemeAnswer4 From Exam_Theme Where ThemeID = %1")
            .arg(themeId));
    QStringList options;
    for (int i = 0; !rs->Eof() && i < 4; ++i) {
        const QString text = mState->Decipher(rs->Fields(i)).trimmed();
        if (!text.isEmpty() || i == 0) {
            options << text;
        }
    }
    return options;
}

std::vector<std::pair<int, int>> BankReader::Questions(int chapter, const QString& condition)
{
    QString where = condition;
    if (where.isEmpty()) {
        where = chapter > 0 ? QStringLiteral("ThemeChapter = %1").arg(chapter) : QStringLiteral("1 = 1");
    }
    std::vector<std::pair<int, int>> rows;
    auto rs = mState->Conn.Execute(QStringLiteral("Select ThemeID, ThemeType From Exam_Theme Where ") + where +
                                   QStringLiteral(" Order By ThemeID"));
    for (; !rs->Eof(); rs->MoveNext()) {
        rows.emplace_back(rs->Fields(0).ToInt(), rs->Fields(1).ToInt());
    }
    return rows;
}

QString BankReader::Scalar(const QString& sql)
{
    auto rs = mState->Conn.Execute(sql);
    return rs->Eof() || rs->Fields(0).IsNull() ? QString() : rs->Fields(0).ToString();
}

// ---------------------------------------------------------------------------------------------
// FormLayout

namespace {

int PropertyInt(const std::vector<std::pair<QString, QVariant>>& properties, const char* name, int fallback)
{
    for (const auto& [key, value] : properties) {
        if (key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return value.toInt();
        }
    }
    return fallback;
}

} // namespace

FormLayout::FormLayout(const QString& formName) : mForm(formName)
{
    static const bool resources = [] {
        InitAppResources();
        return true;
    }();
    (void)resources;
    const FormDesign design = ReadDesignFile(QStringLiteral(":/forms/") + formName + QStringLiteral(".form"));
    mClient =
        QSize(PropertyInt(design.Properties, "ClientWidth", 0), PropertyInt(design.Properties, "ClientHeight", 0));
    std::function<void(const std::vector<DesignControl>&, QPoint, const QString&)> walk =
        [&](const std::vector<DesignControl>& controls, QPoint origin, const QString& outer) {
            for (const DesignControl& control : controls) {
                const QRect rect(origin.x() + PropertyInt(control.Properties, "Left", 0),
                                 origin.y() + PropertyInt(control.Properties, "Top", 0),
                                 PropertyInt(control.Properties, "Width", 0),
                                 PropertyInt(control.Properties, "Height", 0));
                const QString name =
                    control.Index >= 0 ? QStringLiteral("%1(%2)").arg(control.Name).arg(control.Index) : control.Name;
                mEntries.push_back({name, outer, rect});
                // Positions inside a container count from its top left corner.
                walk(control.Children, rect.topLeft(), outer.isEmpty() ? name : outer);
            }
        };
    walk(design.Controls, QPoint(0, 0), QString());
}

QRect FormLayout::Twips(const QString& control) const
{
    for (const Entry& entry : mEntries) {
        if (entry.Name.compare(control, Qt::CaseInsensitive) == 0) {
            return entry.Twips;
        }
    }
    ADD_FAILURE() << mForm.toStdString() << " has no control " << control.toStdString();
    return {};
}

QRect FormLayout::Pixels(const QString& control) const
{
    const QRect t = Twips(control);
    return {t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15};
}

QSize FormLayout::ClientPixels() const
{
    return mClient / 15;
}

QPoint FormLayout::Centre(const QString& control, QPoint formOrigin, QPoint panelShift) const
{
    const QRect t = Twips(control);
    return formOrigin + panelShift + QPoint((t.x() + t.width() / 2) / 15, (t.y() + t.height() / 2) / 15);
}

} // namespace e2e
