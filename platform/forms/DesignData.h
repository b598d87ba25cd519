#pragma once

// Design data: the controls of a form (or of a user control made of child controls), their
// properties and the stored property bags of user controls, in a small text format.
//
//   # a comment line
//   Form FrmMain
//       Caption = "QKMExam"
//       BackColor = &H00FF9933&
//       ClientWidth = 12000                      twips
//       Begin Label LabSysName(0)                name, (index) for a control-array element
//           Left = 120
//           Font = Font("宋体", 9, Bold)          name, size in points, then Bold/Italic/Underline
//           Caption = "第一行\n第二行"             \n, \t, \" and \\ are the only escapes
//       End
//       Begin PictureBox PicMain                 containers hold their controls inside
//           Picture = Resource(":/assets/main.svg")
//           Begin Label LabInfo
//           End
//       End
//       Begin QuButton CmdExit                   a user control: extender properties here,
//           Left = 9000                          its own persisted properties in its bag
//           Bag
//               Caption = "×"
//               ButtonStyle = 8
//               PictureNormal = Base64("iVBORw0...")
//           End
//       End
//   End
//
// Values: integers (decimal, or &H hexadecimal with an optional trailing &, read as 32-bit
// two's complement so &H80000012& is a system colour), True/False, "strings", Font(...),
// Resource("path") or File("path relative to the design file") for picture bytes read when the
// design is loaded, Base64("...") for picture bytes written inline. Names are case-insensitive.

#include "PropertyBag.h"

#include <QString>
#include <QVariant>

#include <utility>
#include <vector>

struct DesignControl {
    QString Type;
    QString Name;
    int Index = -1;
    std::vector<std::pair<QString, QVariant>> Properties;
    bool HasBag = false;
    PropertyBag Bag;
    std::vector<DesignControl> Children;
    int Line = 0;
};

struct FormDesign {
    QString Type;
    QString Name;
    std::vector<std::pair<QString, QVariant>> Properties;
    std::vector<DesignControl> Controls;
};

// Parses design text; sourceName names it in error messages and anchors File("...") paths.
// A syntax error raises run-time error 380 with the source, line and what was wrong.
FormDesign ParseDesign(const QString& text, const QString& sourceName);
// Reads and parses a design file (Qt resource paths ":/..." work); a missing or unreadable
// file raises run-time error 53 with its path.
FormDesign ReadDesignFile(const QString& path);
// Writes design data in the same format (round trip of ParseDesign; pictures inline).
QString WriteDesign(const FormDesign& design);
