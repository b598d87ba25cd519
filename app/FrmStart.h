#pragma once

#include <Form.h>

// The start-up splash: four steps half a second apart read the distributor line, check the display,
// reset the exam state and hand over to the main menu.
class FrmStart : public Form {
public:
    FrmStart();

    void Form_Load() override;

private:
    void Timer1_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();
    // Ends this step and starts the next one.
    void Step(const QString& done, const QString& next);
};

// The splash's two lines of publisher information.
QString PublisherLines();
