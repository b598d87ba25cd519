#include "FrmExam.h"

#include "DefaultForms.h"

Form& Forms::FrmExam()
{
    return DefaultInstance<::FrmExam>();
}

FrmExam::FrmExam() : Form(QStringLiteral("FrmExam")) {}
