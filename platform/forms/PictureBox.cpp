#include "PictureBox.h"

#include "OleColor.h"
#include "Picture.h"

#include <QPainter>
#include <QWidget>

namespace {

class PictureWindow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* box = dynamic_cast<PictureBox*>(ControlFromWindow(this));
        if (box == nullptr || box->BorderPixels() == 0) {
            return;
        }
        QPainter painter(this);
        const QRect r = rect();
        // Sunken 3D border: grey and dark outside the top-left, white and light bottom-right.
        painter.setPen(OleColorToQColor(static_cast<int>(0x80000010)));
        painter.drawLine(r.left(), r.top(), r.right() - 1, r.top());
        painter.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
        painter.setPen(OleColorToQColor(static_cast<int>(0x80000015)));
        painter.drawLine(r.left() + 1, r.top() + 1, r.right() - 2, r.top() + 1);
        painter.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 2);
        painter.setPen(OleColorToQColor(static_cast<int>(0x80000014)));
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter.setPen(OleColorToQColor(static_cast<int>(0x80000016)));
        painter.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
        painter.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    }
};

// The client area: back colour, then the picture.
class PictureClient : public QWidget {
public:
    PictureClient(QWidget* parent, PictureBox* box) : QWidget(parent), mOuter(parent) { (void)box; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto* box = dynamic_cast<PictureBox*>(ControlFromWindow(mOuter));
        if (box == nullptr) {
            return;
        }
        QPainter painter(this);
        painter.fillRect(rect(), OleColorToQColor(box->BackColor()));
        const QImage image = DecodePicture(box->Picture());
        if (!image.isNull()) {
            painter.drawImage(0, 0, image);
        }
    }

private:
    QWidget* mOuter;
};

} // namespace

QWidget* PictureBox::CreateWidget(QWidget* parentWindow)
{
    auto* window = new PictureWindow(parentWindow);
    mClient = new PictureClient(window, this);
    WatchEvents(window);
    WatchEvents(mClient);
    mClient->setProperty("qkmControl", QVariant::fromValue(static_cast<void*>(static_cast<::Control*>(this))));
    return window;
}

void PictureBox::Unloading()
{
    if (mClient != nullptr) {
        mClient->setProperty("qkmControl", QVariant());
        mClient = nullptr;
    }
}

QWidget* PictureBox::ClientWindow() const
{
    return hWnd() != nullptr ? mClient : nullptr;
}

void PictureBox::GeometryChanged()
{
    if (QWidget* window = hWnd(); window != nullptr && mClient != nullptr) {
        const int border = BorderPixels();
        mClient->setGeometry(border, border, std::max(0, window->width() - 2 * border),
                             std::max(0, window->height() - 2 * border));
    }
}

void PictureBox::AppearanceChanged()
{
    IntrinsicControl::AppearanceChanged();
    GeometryChanged();
    if (mClient != nullptr && hWnd() != nullptr) {
        mClient->update();
    }
}

void PictureBox::FitToPicture()
{
    if (!mAutoSize || !mDesignDone) {
        return;
    }
    const QImage image = DecodePicture(mPicture);
    if (!image.isNull()) {
        const int border = 2 * BorderPixels();
        Move(Left(), Top(), PixelsToTwips(image.width() + border), PixelsToTwips(image.height() + border));
    }
}

void PictureBox::EndDesignLoad()
{
    mDesignDone = true;
    FitToPicture();
}

void PictureBox::SetPicture(const QByteArray& picture)
{
    mPicture = picture;
    FitToPicture();
    AppearanceChanged();
}

void PictureBox::SetAutoSize(bool value)
{
    mAutoSize = value;
    FitToPicture();
}

void PictureBox::SetBorderStyle(int style)
{
    mBorderStyle = style;
    AppearanceChanged();
}

double PictureBox::ScaleWidth() const
{
    const int pixels = std::max(0, TwipsToPixels(Width()) - 2 * BorderPixels());
    return mScaleMode == 3 ? pixels : PixelsToTwips(pixels);
}

double PictureBox::ScaleHeight() const
{
    const int pixels = std::max(0, TwipsToPixels(Height()) - 2 * BorderPixels());
    return mScaleMode == 3 ? pixels : PixelsToTwips(pixels);
}

void PictureBox::Cls()
{
    if (mClient != nullptr && hWnd() != nullptr) {
        mClient->update();
    }
}

bool PictureBox::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"picture") {
        SetPicture(value.toByteArray());
    } else if (key == u"autosize") {
        SetAutoSize(value.toBool());
    } else if (key == u"autoredraw") {
        SetAutoRedraw(value.toBool());
    } else if (key == u"borderstyle") {
        SetBorderStyle(value.toInt());
    } else if (key == u"scalemode") {
        SetScaleMode(value.toInt());
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void PictureBox::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* box = dynamic_cast<const PictureBox*>(&source)) {
        mPicture = box->mPicture;
        mAutoSize = box->mAutoSize;
        mAutoRedraw = box->mAutoRedraw;
        mBorderStyle = box->mBorderStyle;
        mScaleMode = box->mScaleMode;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
