#pragma once

#include <Form.h>

class FrmMain : public Form {
public:
    FrmMain();
};
