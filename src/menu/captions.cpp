// Bounded caption copies for the context-menu configuration.
#include "menu/captions.h"

void storeCaption(char (&field)[kCaptionBytes], const char* text) {
    int length = 0;
    if (text != nullptr) {
        while (length < kCaptionBytes - 1 && text[length] != '\0') {
            const bool lead = IsDBCSLeadByte(static_cast<BYTE>(text[length])) != 0;
            const int unit = lead && text[length + 1] != '\0' ? 2 : 1;
            if (length + unit > kCaptionBytes - 1) break;
            for (int k = 0; k < unit; ++k)
                field[length + k] = text[length + k];
            length += unit;
        }
    }
    field[length] = '\0';
}

void readCaption(char (&buffer)[kCaptionBytes], const char (&field)[kCaptionBytes]) {
    for (int i = 0; i < kCaptionBytes; ++i)
        buffer[i] = field[i];
    buffer[kCaptionBytes - 1] = '\0';
}

int popupEntriesInUse() {
    const int count = sharedState.popupItemCount;
    return count < 0 ? 0 : (count > kPopupItems ? kPopupItems : count);
}
