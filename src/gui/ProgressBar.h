#pragma once
// TProgressBar: the system's progress bar, range 0 to 100 unless set otherwise.
//
//   TProgressBar ProgressBar{&pnlMain};
//   ProgressBar.SetBounds(14, 55, 220, 17); ProgressBar.SetSmooth(true);
//   ProgressBar.SetPosition(25);
#include "gui/Control.h"

class TProgressBar : public TControl {
public:
    explicit TProgressBar(TControl* Parent);

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    void SetRange(int Min, int Max);
    // Kept within Min to Max.
    int Position() const;
    void SetPosition(int Value);
    // One continuous bar instead of blocks.
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value);

protected:
    void CreateWnd() override;

private:
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0; // while there is no window
    bool FSmooth = false;
};
