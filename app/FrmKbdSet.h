#pragma once

#include <Form.h>

class FrmKbdSet : public Form {
public:
    FrmKbdSet();
};
