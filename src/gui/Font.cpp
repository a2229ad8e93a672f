#include "gui/Font.h"

HFONT TFont::Handle() const {
    if (!FHandle) {
        LOGFONTA lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (FStyle & fsUnderline) ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
        HFONT font = CreateFontIndirectA(&lf);
        FHandle = std::shared_ptr<void>(font, [](void* H) {
            if (H)
                DeleteObject(static_cast<HGDIOBJ>(H));
        });
    }
    return static_cast<HFONT>(FHandle.get());
}
