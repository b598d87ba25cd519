#include "DesignData.h"

#include <RuntimeError.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QMetaType>

namespace {

[[noreturn]] void Fail(const QString& source, int line, const QString& what)
{
    throw RuntimeError(380, QStringLiteral("设计数据 %1 第 %2 行: %3").arg(source).arg(line).arg(what));
}

class ValueReader {
public:
    ValueReader(const QString& text, const QString& source, int line, const QString& baseDir)
        : mText(text), mSource(source), mLine(line), mBaseDir(baseDir)
    {
    }

    QVariant ReadWhole()
    {
        QVariant value = ReadValue();
        SkipSpaces();
        if (mPos != mText.size()) {
            Fail(mSource, mLine, QStringLiteral("值后面有多余的内容: %1").arg(mText.mid(mPos)));
        }
        return value;
    }

private:
    void SkipSpaces()
    {
        while (mPos < mText.size() && mText.at(mPos).isSpace()) {
            ++mPos;
        }
    }

    bool Take(QChar c)
    {
        SkipSpaces();
        if (mPos < mText.size() && mText.at(mPos) == c) {
            ++mPos;
            return true;
        }
        return false;
    }

    void Expect(QChar c)
    {
        if (!Take(c)) {
            Fail(mSource, mLine, QStringLiteral("缺少 '%1'").arg(c));
        }
    }

    QString ReadWord()
    {
        SkipSpaces();
        const qsizetype start = mPos;
        while (mPos < mText.size() && (mText.at(mPos).isLetterOrNumber() || mText.at(mPos) == u'_')) {
            ++mPos;
        }
        return mText.mid(start, mPos - start);
    }

    QString ReadString()
    {
        Expect(u'"');
        QString result;
        while (mPos < mText.size()) {
            const QChar c = mText.at(mPos++);
            if (c == u'"') {
                return result;
            }
            if (c == u'\\') {
                if (mPos >= mText.size()) {
                    break;
                }
                const QChar escaped = mText.at(mPos++);
                if (escaped == u'n') {
                    result += u'\n';
                } else if (escaped == u't') {
                    result += u'\t';
                } else if (escaped == u'r') {
                    result += u'\r';
                } else if (escaped == u'"' || escaped == u'\\') {
                    result += escaped;
                } else {
                    Fail(mSource, mLine, QStringLiteral("未知的转义 \\%1").arg(escaped));
                }
            } else {
                result += c;
            }
        }
        Fail(mSource, mLine, QStringLiteral("字符串没有结束"));
    }

    QVariant ReadNumber()
    {
        SkipSpaces();
        if (mText.mid(mPos, 2).compare(u"&H", Qt::CaseInsensitive) == 0) {
            mPos += 2;
            const qsizetype start = mPos;
            while (mPos < mText.size() && QStringLiteral("0123456789abcdefABCDEF").contains(mText.at(mPos))) {
                ++mPos;
            }
            bool ok = false;
            const quint64 value = mText.mid(start, mPos - start).toULongLong(&ok, 16);
            if (!ok || value > 0xFFFFFFFFull) {
                Fail(mSource, mLine, QStringLiteral("无效的十六进制数"));
            }
            Take(u'&');
            return QVariant(static_cast<qint32>(static_cast<quint32>(value)));
        }
        const qsizetype start = mPos;
        if (mPos < mText.size() && (mText.at(mPos) == u'-' || mText.at(mPos) == u'+')) {
            ++mPos;
        }
        bool isFloat = false;
        while (mPos < mText.size() && (mText.at(mPos).isDigit() || mText.at(mPos) == u'.')) {
            isFloat = isFloat || mText.at(mPos) == u'.';
            ++mPos;
        }
        const QString digits = mText.mid(start, mPos - start);
        bool ok = false;
        if (isFloat) {
            const double value = digits.toDouble(&ok);
            if (ok) {
                return QVariant(value);
            }
        } else {
            const qint64 value = digits.toLongLong(&ok);
            if (ok && value >= INT32_MIN && value <= INT32_MAX) {
                return QVariant(static_cast<qint32>(value));
            }
        }
        Fail(mSource, mLine, QStringLiteral("无效的数值 '%1'").arg(digits));
    }

    QByteArray ReadFileBytes(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            Fail(mSource, mLine, QStringLiteral("无法读取图片文件 %1").arg(path));
        }
        return file.readAll();
    }

    QVariant ReadValue()
    {
        SkipSpaces();
        if (mPos >= mText.size()) {
            Fail(mSource, mLine, QStringLiteral("缺少值"));
        }
        const QChar first = mText.at(mPos);
        if (first == u'"') {
            return ReadString();
        }
        if (first == u'&' || first == u'-' || first == u'+' || first.isDigit()) {
            return ReadNumber();
        }
        const QString word = ReadWord().toLower();
        if (word == u"true") {
            return QVariant(true);
        }
        if (word == u"false") {
            return QVariant(false);
        }
        if (word == u"font") {
            Expect(u'(');
            QFont font(ReadString());
            Expect(u',');
            const QVariant size = ReadNumber();
            font.setPointSizeF(size.toDouble());
            while (Take(u',')) {
                const QString style = ReadWord().toLower();
                if (style == u"bold") {
                    font.setBold(true);
                } else if (style == u"italic") {
                    font.setItalic(true);
                } else if (style == u"underline") {
                    font.setUnderline(true);
                } else if (style == u"strikeout") {
                    font.setStrikeOut(true);
                } else {
                    Fail(mSource, mLine, QStringLiteral("未知的字体样式 '%1'").arg(style));
                }
            }
            Expect(u')');
            return QVariant::fromValue(font);
        }
        if (word == u"resource" || word == u"file" || word == u"base64") {
            Expect(u'(');
            const QString argument = ReadString();
            Expect(u')');
            if (word == u"base64") {
                const auto decoded = QByteArray::fromBase64Encoding(argument.toLatin1());
                if (!decoded) {
                    Fail(mSource, mLine, QStringLiteral("无效的 Base64 数据"));
                }
                return QVariant(*decoded);
            }
            if (word == u"resource") {
                return QVariant(ReadFileBytes(argument));
            }
            return QVariant(ReadFileBytes(QDir(mBaseDir).filePath(argument)));
        }
        Fail(mSource, mLine, QStringLiteral("无法识别的值 '%1'").arg(word));
    }

    const QString& mText;
    QString mSource;
    int mLine;
    QString mBaseDir;
    qsizetype mPos = 0;
};

struct Frame {
    DesignControl* Control = nullptr;
    bool InBag = false;
};

void ParseHeader(const QString& rest, const QString& source, int line, QString& type, QString& name, int& index)
{
    const QStringList parts = rest.simplified().split(u' ');
    if (parts.size() != 2 || parts[0].isEmpty()) {
        Fail(source, line, QStringLiteral("应为 \"类型 名称\""));
    }
    type = parts[0];
    QString full = parts[1];
    index = -1;
    const qsizetype open = full.indexOf(u'(');
    if (open >= 0) {
        if (!full.endsWith(u')')) {
            Fail(source, line, QStringLiteral("控件数组下标缺少 ')'"));
        }
        bool ok = false;
        index = full.mid(open + 1, full.size() - open - 2).toInt(&ok);
        if (!ok || index < 0) {
            Fail(source, line, QStringLiteral("无效的控件数组下标"));
        }
        full = full.left(open);
    }
    if (full.isEmpty()) {
        Fail(source, line, QStringLiteral("缺少名称"));
    }
    name = full;
}

QString FormatValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QString: {
        QString text = value.toString();
        text.replace(u'\\', QStringLiteral("\\\\"))
            .replace(u'"', QStringLiteral("\\\""))
            .replace(u'\n', QStringLiteral("\\n"))
            .replace(u'\r', QStringLiteral("\\r"))
            .replace(u'\t', QStringLiteral("\\t"));
        return u'"' + text + u'"';
    }
    case QMetaType::QFont: {
        const QFont font = value.value<QFont>();
        QString text = QStringLiteral("Font(%1, %2").arg(FormatValue(font.family())).arg(font.pointSizeF());
        if (font.bold()) {
            text += QStringLiteral(", Bold");
        }
        if (font.italic()) {
            text += QStringLiteral(", Italic");
        }
        if (font.underline()) {
            text += QStringLiteral(", Underline");
        }
        if (font.strikeOut()) {
            text += QStringLiteral(", Strikeout");
        }
        return text + u')';
    }
    case QMetaType::QByteArray:
        return QStringLiteral("Base64(\"%1\")").arg(QString::fromLatin1(value.toByteArray().toBase64()));
    case QMetaType::Double:
    case QMetaType::Float: {
        QString text = QString::number(value.toDouble(), 'g', 10);
        if (!text.contains(u'.')) {
            text += QStringLiteral(".0");
        }
        return text;
    }
    default:
        return QString::number(value.toLongLong());
    }
}

void WriteControl(QString& out, const DesignControl& control, int depth)
{
    const QString indent(depth * 4, u' ');
    out += indent + QStringLiteral("Begin %1 %2").arg(control.Type, control.Name);
    if (control.Index >= 0) {
        out += QStringLiteral("(%1)").arg(control.Index);
    }
    out += u'\n';
    for (const auto& [name, value] : control.Properties) {
        out += indent + QStringLiteral("    %1 = %2\n").arg(name, FormatValue(value));
    }
    if (control.HasBag) {
        out += indent + QStringLiteral("    Bag\n");
        for (const auto& entry : control.Bag.Entries()) {
            out += indent + QStringLiteral("        %1 = %2\n").arg(entry.Name, FormatValue(entry.Value));
        }
        out += indent + QStringLiteral("    End\n");
    }
    for (const auto& child : control.Children) {
        WriteControl(out, child, depth + 1);
    }
    out += indent + QStringLiteral("End\n");
}

} // namespace

FormDesign ParseDesign(const QString& text, const QString& sourceName)
{
    const QString baseDir = QFileInfo(sourceName).absolutePath();
    FormDesign design;
    bool started = false;
    bool finished = false;
    std::vector<Frame> stack;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        if (finished) {
            Fail(sourceName, lineNumber, QStringLiteral("设计数据结束后还有内容"));
        }
        if (!started) {
            int index = -1;
            ParseHeader(line, sourceName, lineNumber, design.Type, design.Name, index);
            started = true;
            continue;
        }
        const QString keyword = line.section(u' ', 0, 0);
        if (keyword.compare(u"End", Qt::CaseInsensitive) == 0 && line.size() == 3) {
            if (stack.empty()) {
                finished = true;
            } else if (stack.back().InBag) {
                stack.back().InBag = false;
            } else {
                stack.pop_back();
            }
            continue;
        }
        if (keyword.compare(u"Bag", Qt::CaseInsensitive) == 0 && line.size() == 3) {
            if (stack.empty() || stack.back().InBag) {
                Fail(sourceName, lineNumber, QStringLiteral("Bag 只能出现在控件里"));
            }
            stack.back().InBag = true;
            stack.back().Control->HasBag = true;
            continue;
        }
        if (keyword.compare(u"Begin", Qt::CaseInsensitive) == 0) {
            if (!stack.empty() && stack.back().InBag) {
                Fail(sourceName, lineNumber, QStringLiteral("属性包里不能有控件"));
            }
            DesignControl control;
            control.Line = lineNumber;
            ParseHeader(line.mid(5), sourceName, lineNumber, control.Type, control.Name, control.Index);
            auto& siblings = stack.empty() ? design.Controls : stack.back().Control->Children;
            siblings.push_back(std::move(control));
            stack.push_back({&siblings.back(), false});
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) {
            Fail(sourceName, lineNumber, QStringLiteral("应为 \"属性 = 值\""));
        }
        const QString name = line.left(equals).trimmed();
        const QString valueText = line.mid(equals + 1);
        ValueReader reader(valueText, sourceName, lineNumber, baseDir);
        const QVariant value = reader.ReadWhole();
        if (stack.empty()) {
            design.Properties.emplace_back(name, value);
        } else if (stack.back().InBag) {
            stack.back().Control->Bag.SetRaw(name, value);
        } else {
            stack.back().Control->Properties.emplace_back(name, value);
        }
    }
    if (!started) {
        Fail(sourceName, lines.size(), QStringLiteral("设计数据是空的"));
    }
    if (!finished) {
        Fail(sourceName, lines.size(), QStringLiteral("缺少 End"));
    }
    return design;
}

FormDesign ReadDesignFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw RuntimeError(53, QStringLiteral("文件未找到: %1").arg(path));
    }
    return ParseDesign(QString::fromUtf8(file.readAll()), path);
}

QString WriteDesign(const FormDesign& design)
{
    QString out =
        QStringLiteral("%1 %2\n").arg(design.Type.isEmpty() ? QStringLiteral("Form") : design.Type, design.Name);
    for (const auto& [name, value] : design.Properties) {
        out += QStringLiteral("    %1 = %2\n").arg(name, FormatValue(value));
    }
    for (const auto& control : design.Controls) {
        WriteControl(out, control, 1);
    }
    out += QStringLiteral("End\n");
    return out;
}
