#include "FrmExamResults.h"

#include "DefaultForms.h"

Form& Forms::FrmExamResults()
{
    return DefaultInstance<::FrmExamResults>();
}

FrmExamResults::FrmExamResults() : Form(QStringLiteral("FrmExamResults")) {}
