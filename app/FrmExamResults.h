#pragma once

#include <Form.h>

class FrmExamResults : public Form {
public:
    FrmExamResults();
};
