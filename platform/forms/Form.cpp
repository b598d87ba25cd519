#include "Form.h"

#include "DesignData.h"
#include "FormWindow.h"
#include "KeyCodes.h"
#include "OleColor.h"
#include "Picture.h"
#include "Runtime.h"
#include "UserControl.h"

#include <RuntimeError.h>

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QScreen>

#include <algorithm>

int MouseButtonsToVb(Qt::MouseButtons buttons);
void NoteMouseEvent(QWidget* window, const QMouseEvent& event);
void NoteMouseReleased(const QMouseEvent& event);
QCursor CursorForPointer(int pointer, const QByteArray& icon);

namespace {

std::vector<Form*>& LoadedForms()
{
    static std::vector<Form*> forms;
    return forms;
}

Form*& ActiveFormSlot()
{
    static Form* active = nullptr;
    return active;
}

QString& DesignFolderSlot()
{
    static QString folder = QStringLiteral(":/forms");
    return folder;
}

} // namespace

FormWindow::FormWindow(Form* form) : QWidget(nullptr), mForm(form)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void FormWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (mForm == nullptr) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    painter.fillRect(rect(), OleColorToQColor(mForm->BackColor()));
    const QImage picture = DecodePicture(mForm->Picture());
    if (!picture.isNull()) {
        painter.drawImage(0, 0, picture);
    }
    Form* form = mForm;
    ControlHost::Dispatch([form] { form->Form_Paint(); });
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    // The form decides: Form_QueryUnload may cancel, and the window goes with the unload.
    event->ignore();
    if (mForm != nullptr) {
        Form* form = mForm;
        ControlHost::Dispatch([form] { form->Unload(vbFormControlMenu); });
    }
}

void FormWindow::resizeEvent(QResizeEvent*)
{
    if (mForm == nullptr) {
        return;
    }
    const int width = PixelsToTwips(this->width());
    const int height = PixelsToTwips(this->height());
    if (TwipsToPixels(mForm->mWidth) != this->width()) {
        mForm->mWidth = width;
    }
    if (TwipsToPixels(mForm->mHeight) != this->height()) {
        mForm->mHeight = height;
    }
    if (isVisible()) {
        Form* form = mForm;
        ControlHost::Dispatch([form] { form->Form_Resize(); });
    }
}

void FormWindow::moveEvent(QMoveEvent*)
{
    if (mForm != nullptr && isVisible()) {
        if (TwipsToPixels(mForm->mLeft) != x()) {
            mForm->mLeft = PixelsToTwips(x());
        }
        if (TwipsToPixels(mForm->mTop) != y()) {
            mForm->mTop = PixelsToTwips(y());
        }
    }
}

void FormWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && mForm != nullptr && isActiveWindow()) {
        mForm->Activated();
    }
    QWidget::changeEvent(event);
}

namespace {

// The arguments of the forms' mouse events: button mask, shift mask and the position in twips.
struct MouseArgs {
    int Button;
    int Shift;
    float X;
    float Y;
};

MouseArgs MouseArgsOf(const QMouseEvent& event, Qt::MouseButtons buttons)
{
    return {MouseButtonsToVb(buttons), ShiftMaskFromQt(event.modifiers()),
            static_cast<float>(event.position().x() * TwipsPerPixel),
            static_cast<float>(event.position().y() * TwipsPerPixel)};
}

} // namespace

void FormWindow::mousePressEvent(QMouseEvent* event)
{
    NoteMouseEvent(this, *event);
    mPressed = true;
    if (mForm != nullptr) {
        Form* form = mForm;
        const MouseArgs a = MouseArgsOf(*event, event->button());
        ControlHost::Dispatch([=] { form->Form_MouseDown(a.Button, a.Shift, a.X, a.Y); });
    }
}

void FormWindow::mouseMoveEvent(QMouseEvent* event)
{
    NoteMouseEvent(this, *event);
    if (mForm != nullptr) {
        Form* form = mForm;
        const MouseArgs a = MouseArgsOf(*event, event->buttons());
        ControlHost::Dispatch([=] { form->Form_MouseMove(a.Button, a.Shift, a.X, a.Y); });
    }
}

void FormWindow::mouseReleaseEvent(QMouseEvent* event)
{
    NoteMouseEvent(this, *event);
    const bool click = mPressed && rect().contains(event->position().toPoint());
    mPressed = false;
    if (mForm != nullptr) {
        Form* form = mForm;
        const MouseArgs a = MouseArgsOf(*event, event->button());
        ControlHost::Dispatch([=] {
            if (click) {
                form->Form_Click();
            }
            if (form->IsLoaded()) {
                form->Form_MouseUp(a.Button, a.Shift, a.X, a.Y);
            }
        });
    }
    NoteMouseReleased(*event);
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    NoteMouseEvent(this, *event);
    mPressed = true;
    if (mForm != nullptr) {
        Form* form = mForm;
        ControlHost::Dispatch([form] { form->Form_DblClick(); });
    }
}

Form::Form(QString name) : mName(std::move(name)) {}

Form::~Form()
{
    if (IsLoaded()) {
        Discard();
    }
    if (ActiveFormSlot() == this) {
        ActiveFormSlot() = nullptr;
    }
}

QWidget* Form::HostWindow() const
{
    return mWindow;
}

QWidget* Form::hWnd() const
{
    return mWindow;
}

void Form::SetDesignFolder(const QString& folder)
{
    DesignFolderSlot() = folder;
}

QString Form::DesignFolder()
{
    return DesignFolderSlot();
}

QString Form::DesignFile() const
{
    if (!mDesignFile.isEmpty()) {
        return mDesignFile;
    }
    return DesignFolderSlot() + u'/' + mName + QStringLiteral(".form");
}

void Form::SetDesign(const FormDesign& design)
{
    mDesign = std::make_unique<FormDesign>(design);
}

void Form::ResetProperties()
{
    mCaption = mName;
    mBackColor = static_cast<int>(0x8000000F);
    mForeColor = static_cast<int>(0x80000012);
    mFont = QFont(QStringLiteral("宋体"), 9);
    mPicture.clear();
    mIcon.clear();
    mKeyPreview = false;
    mBorderStyle = vbSizable;
    mShowInTaskbar = true;
    mStartUpPosition = vbStartUpWindowsDefault;
    mWindowState = vbNormal;
    mEnabled = true;
    mMousePointer = 0;
    mLeft = 0;
    mTop = 0;
    mWidth = 4800;
    mHeight = 3600;
    mDefaultControl = nullptr;
    mShownOnce = false;
}

void Form::Load()
{
    if (IsLoaded()) {
        return;
    }
    if (!mInitialized) {
        mInitialized = true;
        Form_Initialize();
    }
    const FormDesign design = mDesign != nullptr ? *mDesign : ReadDesignFile(DesignFile());
    ResetProperties();
    for (const auto& [name, value] : design.Properties) {
        ApplyDesignProperty(name, value);
    }
    mWindow = new FormWindow(this);
    mWindow->setObjectName(mName);
    ApplyWindowFlags();
    mWindow->setWindowTitle(mCaption);
    mWindow->setFont(mFont);
    mWindow->resize(std::max(1, TwipsToPixels(mWidth)), std::max(1, TwipsToPixels(mHeight)));
    mWindow->move(TwipsToPixels(mLeft), TwipsToPixels(mTop));
    mWindow->setEnabled(mEnabled);
    SetIcon(mIcon);
    SetMousePointer(mMousePointer);
    LoadedForms().push_back(this);
    CreateControls(design.Controls);
    Form_Load();
}

void Form::ApplyDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"caption") {
        mCaption = value.toString();
    } else if (key == u"backcolor") {
        mBackColor = value.toInt();
    } else if (key == u"forecolor") {
        mForeColor = value.toInt();
    } else if (key == u"font") {
        mFont = value.value<QFont>();
    } else if (key == u"picture") {
        mPicture = value.toByteArray();
    } else if (key == u"icon") {
        mIcon = value.toByteArray();
    } else if (key == u"keypreview") {
        mKeyPreview = value.toBool();
    } else if (key == u"borderstyle") {
        mBorderStyle = value.toInt();
    } else if (key == u"showintaskbar") {
        mShowInTaskbar = value.toBool();
    } else if (key == u"startupposition") {
        mStartUpPosition = value.toInt();
    } else if (key == u"windowstate") {
        mWindowState = value.toInt();
    } else if (key == u"enabled") {
        mEnabled = value.toBool();
    } else if (key == u"mousepointer") {
        mMousePointer = value.toInt();
    } else if (key == u"left") {
        mLeft = value.toInt();
    } else if (key == u"top") {
        mTop = value.toInt();
    } else if (key == u"width" || key == u"clientwidth") {
        mWidth = value.toInt();
    } else if (key == u"height" || key == u"clientheight") {
        mHeight = value.toInt();
    } else if (key == u"scalemode" || key == u"controlbox" || key == u"maxbutton" || key == u"minbutton" ||
               key == u"autoredraw") {
        // Twips is the only scale of a form here; the caption buttons follow the border style.
    } else {
        throw RuntimeError(380, QStringLiteral("设计数据: 窗体 %1 没有属性 '%2'").arg(mName, name));
    }
}

void Form::ApplyWindowFlags()
{
    if (mWindow == nullptr) {
        return;
    }
    Qt::WindowFlags flags = mShowInTaskbar ? Qt::Window : Qt::Tool;
    if (mBorderStyle == vbBSNone) {
        flags |= Qt::FramelessWindowHint;
    } else if (mBorderStyle == vbFixedSingle || mBorderStyle == vbFixedDouble || mBorderStyle == vbFixedToolWindow) {
        // Fixed dialogs and tool windows have a close button only; a fixed single border keeps the
        // minimise button.
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        if (mBorderStyle == vbFixedSingle) {
            flags |= Qt::WindowMinimizeButtonHint;
        }
    }
    const bool visible = mWindow->isVisible();
    mWindow->setWindowFlags(flags);
    ApplyFixedSize();
    if (visible) {
        mWindow->show();
    }
}

void Form::ApplyFixedSize()
{
    // The user cannot resize a fixed border; code can (Move, Width, Height). The size is the
    // form's own, not the window's: at load the window does not have it yet.
    if (mBorderStyle == vbSizable || mBorderStyle == vbSizableToolWindow || mBorderStyle == vbBSNone) {
        mWindow->setMinimumSize(0, 0);
        mWindow->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        mWindow->setFixedSize(std::max(1, TwipsToPixels(mWidth)), std::max(1, TwipsToPixels(mHeight)));
    }
}

void Form::PlaceWindow()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (mStartUpPosition == vbStartUpScreen || mStartUpPosition == vbStartUpOwner) {
        if (screen != nullptr) {
            const QRect area = screen->geometry();
            const int x = area.x() + (area.width() - mWindow->width()) / 2;
            const int y = area.y() + (area.height() - mWindow->height()) / 2;
            mWindow->move(x, y);
            mLeft = PixelsToTwips(x);
            mTop = PixelsToTwips(y);
        }
    }
}

void Form::Show(int modal, Form* owner)
{
    (void)owner;
    if (modal != vbModeless && IsLoaded() && mWindow->isVisible() && mModalLoops.empty()) {
        throw RuntimeError(400, QStringLiteral("窗体已显示, 不能显示为模式窗体"));
    }
    Load();
    if (!IsLoaded()) {
        return;
    }
    if (!mShownOnce) {
        mShownOnce = true;
        PlaceWindow();
    }
    if (modal != vbModeless) {
        mWindow->setWindowModality(Qt::ApplicationModal);
    }
    if (mWindowState == vbMaximized) {
        mWindow->showMaximized();
    } else if (mWindowState == vbMinimized) {
        mWindow->showMinimized();
    } else {
        mWindow->show();
    }
    if (QGuiApplication::platformName() != u"offscreen") {
        mWindow->raise();
    }
    mWindow->activateWindow();
    if (modal == vbModeless) {
        return;
    }
    QEventLoop loop;
    mModalLoops.push_back(&loop);
    RunNestedLoop(loop);
    mModalLoops.erase(std::remove(mModalLoops.begin(), mModalLoops.end(), &loop), mModalLoops.end());
    if (IsLoaded()) {
        mWindow->setWindowModality(Qt::NonModal);
    }
    ThrowIfProgramEnded();
}

void Form::ExitModalLoop()
{
    for (QEventLoop* loop : mModalLoops) {
        loop->exit(0);
    }
}

void Form::Hide()
{
    if (mWindow != nullptr) {
        mWindow->hide();
    }
    ExitModalLoop();
}

bool Form::Visible() const
{
    return mWindow != nullptr && mWindow->isVisible();
}

void Form::SetVisible(bool visible)
{
    if (visible) {
        Show();
    } else {
        Hide();
    }
}

bool Form::Unload(int unloadMode)
{
    if (!IsLoaded() || mUnloading) {
        return true;
    }
    int cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel != 0) {
        return false;
    }
    if (!IsLoaded()) {
        return true;
    }
    Form_Unload(cancel);
    if (cancel != 0) {
        return false;
    }
    if (!IsLoaded()) {
        return true;
    }
    Discard();
    if (LoadedForms().empty()) {
        QuitProgram();
    }
    return true;
}

void Form::Discard()
{
    mUnloading = true;
    FormWindow* window = mWindow;
    if (QCoreApplication::instance() == nullptr) {
        // Past the application's end (a form still loaded when static objects go): the window
        // system is gone, only the bookkeeping is left to do.
        mWindow = nullptr;
        auto& forms = LoadedForms();
        forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
        mUnloading = false;
        return;
    }
    window->hide();
    DestroyControls();
    mWindow = nullptr;
    auto& forms = LoadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (ActiveFormSlot() == this) {
        ActiveFormSlot() = nullptr;
    }
    window->Detach();
    window->deleteLater();
    // The style keeps what it drew for a control (a combo box's frame and arrow) in the pixmap
    // cache, keyed by the control's own palette: the controls just destroyed can never ask for
    // theirs again, and a station that unloads and reloads its forms all day would fill the cache
    // with them. What the loaded forms still show is drawn again at their next paint.
    QPixmapCache::clear();
    ExitModalLoop();
    mUnloading = false;
}

std::vector<Form*> Form::Forms()
{
    return LoadedForms();
}

Form* Form::ActiveForm()
{
    Form* active = ActiveFormSlot();
    if (active != nullptr && active->IsLoaded() && active->mWindow->isVisible()) {
        return active;
    }
    for (auto it = LoadedForms().rbegin(); it != LoadedForms().rend(); ++it) {
        if ((*it)->mWindow->isActiveWindow()) {
            return *it;
        }
    }
    return nullptr;
}

void Form::UnloadAll()
{
    const std::vector<Form*> forms = LoadedForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        (*it)->Unload(vbFormCode);
    }
}

void Form::DiscardAll()
{
    const std::vector<Form*> forms = LoadedForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        if ((*it)->IsLoaded()) {
            (*it)->Discard();
        }
    }
}

void Form::Activated()
{
    Form* previous = ActiveFormSlot();
    if (previous == this) {
        return;
    }
    ActiveFormSlot() = this;
    ControlHost::Dispatch([this, previous] {
        if (previous != nullptr && previous->IsLoaded()) {
            previous->Form_Deactivate();
        }
        if (IsLoaded()) {
            Form_Activate();
        }
    });
}

void Form::SetCaption(const QString& caption)
{
    mCaption = caption;
    if (mWindow != nullptr) {
        mWindow->setWindowTitle(caption);
    }
}

void Form::ApplyBackground()
{
    if (mWindow != nullptr) {
        mWindow->update();
    }
}

void Form::SetBackColor(int oleColor)
{
    mBackColor = oleColor;
    ApplyBackground();
    for (::Control* control : Controls()) {
        if (auto* user = dynamic_cast<UserControl*>(control)) {
            user->UserControl_AmbientChanged(QStringLiteral("BackColor"));
        }
    }
}

void Form::SetForeColor(int oleColor)
{
    mForeColor = oleColor;
    ApplyBackground();
    for (::Control* control : Controls()) {
        if (auto* user = dynamic_cast<UserControl*>(control)) {
            user->UserControl_AmbientChanged(QStringLiteral("ForeColor"));
        }
    }
}

void Form::SetFont(const QFont& font)
{
    mFont = font;
    if (mWindow != nullptr) {
        mWindow->setFont(font);
    }
    for (::Control* control : Controls()) {
        if (auto* user = dynamic_cast<UserControl*>(control)) {
            user->UserControl_AmbientChanged(QStringLiteral("Font"));
        }
    }
}

void Form::SetPicture(const QByteArray& picture)
{
    mPicture = picture;
    ApplyBackground();
}

void Form::SetIcon(const QByteArray& icon)
{
    mIcon = icon;
    if (mWindow != nullptr) {
        const QImage image = DecodePicture(icon);
        mWindow->setWindowIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
    }
}

void Form::SetBorderStyle(int style)
{
    mBorderStyle = style;
    ApplyWindowFlags();
}

void Form::SetShowInTaskbar(bool value)
{
    mShowInTaskbar = value;
    ApplyWindowFlags();
}

void Form::SetWindowState(int state)
{
    mWindowState = state;
    if (mWindow == nullptr || !mWindow->isVisible()) {
        return;
    }
    if (state == vbMaximized) {
        mWindow->showMaximized();
    } else if (state == vbMinimized) {
        mWindow->showMinimized();
    } else {
        mWindow->showNormal();
    }
}

void Form::SetEnabled(bool enabled)
{
    mEnabled = enabled;
    if (mWindow != nullptr) {
        mWindow->setEnabled(enabled);
    }
}

void Form::SetMousePointer(int pointer)
{
    mMousePointer = pointer;
    if (mWindow != nullptr) {
        if (pointer == 0) {
            mWindow->unsetCursor();
        } else {
            mWindow->setCursor(CursorForPointer(pointer, {}));
        }
    }
}

void Form::Move(int left, int top, int width, int height)
{
    mLeft = left;
    mTop = top;
    if (width >= 0) {
        mWidth = width;
    }
    if (height >= 0) {
        mHeight = height;
    }
    if (mWindow != nullptr) {
        ApplyFixedSize();
        mWindow->setGeometry(TwipsToPixels(mLeft), TwipsToPixels(mTop), std::max(1, TwipsToPixels(mWidth)),
                             std::max(1, TwipsToPixels(mHeight)));
    }
}

void Form::SetDefaultControl(::Control* control)
{
    for (::Control* candidate : Controls()) {
        if (auto* user = dynamic_cast<UserControl*>(candidate)) {
            user->SetDisplayAsDefault(candidate == control);
        }
    }
    mDefaultControl = control != nullptr ? control->hWnd() : nullptr;
}

::Control* Form::ActiveControl() const
{
    if (mWindow == nullptr) {
        return nullptr;
    }
    QWidget* focus = mWindow->focusWidget();
    while (focus != nullptr && focus != mWindow) {
        if (::Control* control = ControlFromWindow(focus)) {
            return control;
        }
        focus = focus->parentWidget();
    }
    return nullptr;
}

void Form::Refresh()
{
    if (mWindow != nullptr) {
        mWindow->repaint();
    }
}

void Form::Form_QueryUnload(int&, int) {}
void Form::Form_Unload(int&) {}
void Form::Form_MouseDown(int, int, float, float) {}
void Form::Form_MouseMove(int, int, float, float) {}
void Form::Form_MouseUp(int, int, float, float) {}
void Form::Form_KeyDown(int&, int&) {}
void Form::Form_KeyUp(int&, int&) {}
void Form::Form_KeyPress(int&) {}
