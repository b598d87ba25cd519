#pragma once

#include <Form.h>

class FrmExam : public Form {
public:
    FrmExam();
};
