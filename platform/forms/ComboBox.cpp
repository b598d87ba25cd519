#include "ComboBox.h"

#include "ComboBoxStyle.h"
#include "ControlHost.h"

#include <RuntimeError.h>

#include <QComboBox>
#include <QLineEdit>

QWidget* ComboBox::CreateWidget(QWidget* parentWindow)
{
    auto* box = new QComboBox(parentWindow);
    box->setStyle(ComboBoxStyle::Instance());
    WatchEvents(box);
    QObject::connect(box, &QComboBox::currentIndexChanged, box, [box](int index) {
        auto* combo = dynamic_cast<ComboBox*>(ControlFromWindow(box));
        if (combo != nullptr && !combo->mSyncing) {
            ControlHost::Dispatch([combo, index] { combo->Select(index, true); });
        }
    });
    return box;
}

QComboBox* ComboBox::Box() const
{
    return static_cast<QComboBox*>(hWnd());
}

void ComboBox::ApplyToWidget()
{
    IntrinsicControl::ApplyToWidget();
    if (QComboBox* box = Box()) {
        mSyncing = true;
        box->setEditable(mStyle != 2);
        box->clear();
        box->addItems(mItems);
        box->setCurrentIndex(mListIndex);
        if (mStyle != 2 && mListIndex < 0 && box->lineEdit() != nullptr) {
            box->lineEdit()->setText(mText);
        }
        mSyncing = false;
    }
}

void ComboBox::Select(int index, bool raise)
{
    if (index == mListIndex) {
        return;
    }
    mListIndex = index;
    if (index >= 0) {
        mText = mItems.at(index);
    }
    if (QComboBox* box = Box(); box != nullptr && box->currentIndex() != index) {
        mSyncing = true;
        box->setCurrentIndex(index);
        mSyncing = false;
    }
    if (raise) {
        Click();
    }
}

void ComboBox::AddItem(const QString& item, int index)
{
    if (index < 0 || index > mItems.size()) {
        index = static_cast<int>(mItems.size());
    }
    mItems.insert(index, item);
    mItemData.insert(mItemData.begin() + index, 0);
    if (mListIndex >= index) {
        ++mListIndex;
    }
    if (QComboBox* box = Box()) {
        mSyncing = true;
        box->insertItem(index, item);
        box->setCurrentIndex(mListIndex);
        mSyncing = false;
    }
}

void ComboBox::RemoveItem(int index)
{
    if (index < 0 || index >= mItems.size()) {
        throw RuntimeError(5, QStringLiteral("无效的过程调用或参数"));
    }
    mItems.removeAt(index);
    mItemData.erase(mItemData.begin() + index);
    if (mListIndex == index) {
        mListIndex = -1;
    } else if (mListIndex > index) {
        --mListIndex;
    }
    if (QComboBox* box = Box()) {
        mSyncing = true;
        box->removeItem(index);
        box->setCurrentIndex(mListIndex);
        mSyncing = false;
    }
}

void ComboBox::Clear()
{
    mItems.clear();
    mItemData.clear();
    mListIndex = -1;
    mText.clear();
    if (QComboBox* box = Box()) {
        mSyncing = true;
        box->clear();
        mSyncing = false;
    }
}

QString ComboBox::List(int index) const
{
    return index >= 0 && index < mItems.size() ? mItems.at(index) : QString();
}

void ComboBox::SetList(int index, const QString& item)
{
    if (index < 0 || index >= mItems.size()) {
        throw RuntimeError(381, QStringLiteral("无效的属性数组索引"));
    }
    mItems[index] = item;
    if (QComboBox* box = Box()) {
        box->setItemText(index, item);
    }
}

void ComboBox::SetListIndex(int index)
{
    if (index < -1 || index >= mItems.size()) {
        throw RuntimeError(380, QStringLiteral("无效属性值"));
    }
    Select(index, true);
}

QString ComboBox::Text() const
{
    if (mStyle != 2 && Box() != nullptr && Box()->lineEdit() != nullptr) {
        return Box()->lineEdit()->text();
    }
    if (mListIndex >= 0) {
        return mItems.at(mListIndex);
    }
    // A drop-down list shows only its items: nothing selected, no text.
    return mStyle == 2 ? QString() : mText;
}

void ComboBox::SetText(const QString& text)
{
    const int found = static_cast<int>(mItems.indexOf(text));
    if (mStyle == 2) {
        if (found < 0) {
            throw RuntimeError(383, QStringLiteral("'Text' 属性是只读的"));
        }
        Select(found, true);
        return;
    }
    mText = text;
    if (QComboBox* box = Box(); box != nullptr && box->lineEdit() != nullptr) {
        box->lineEdit()->setText(text);
    }
}

long ComboBox::ItemData(int index) const
{
    return index >= 0 && index < static_cast<int>(mItemData.size()) ? mItemData[static_cast<std::size_t>(index)] : 0;
}

void ComboBox::SetItemData(int index, long data)
{
    if (index < 0 || index >= static_cast<int>(mItemData.size())) {
        throw RuntimeError(381, QStringLiteral("无效的属性数组索引"));
    }
    mItemData[static_cast<std::size_t>(index)] = data;
}

bool ComboBox::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"style") {
        mStyle = value.toInt();
        ApplyToWidget();
    } else if (key == u"text") {
        mText = value.toString();
        ApplyToWidget();
    } else if (key == u"list") {
        // Design items, separated by "|".
        mItems = value.toString().split(u'|', Qt::SkipEmptyParts);
        mItemData.assign(static_cast<std::size_t>(mItems.size()), 0);
        ApplyToWidget();
    } else {
        return IntrinsicControl::SetDesignProperty(name, value);
    }
    return true;
}

void ComboBox::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* combo = dynamic_cast<const ComboBox*>(&source)) {
        mStyle = combo->mStyle;
        mText = combo->mText;
    }
    IntrinsicControl::CopyPropertiesFrom(source);
}
