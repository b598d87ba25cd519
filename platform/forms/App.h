#pragma once

#include <QString>

// The running program's identity and folder, as the forms and modules ask for it.
namespace App {

// The folder that holds the program's files (question bank, System.ini, STheme.cfg, Tivex.dat),
// without a trailing separator. QKMEXAM_DIR overrides the executable's own folder, so that tests
// and a second installation can keep their files apart.
QString Path();

// Executable name without extension; the forms' default caption.
QString EXEName();
QString Title();
QString ProductName();
int Major();
int Minor();
int Revision();

} // namespace App
