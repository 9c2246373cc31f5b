// Captions of the context-menu configuration: fixed 32-byte fields that the
// controller may be rewriting while a frame's process reads them.
#pragma once

#include "state/shared_state.h"

// Copies text (null: empty) into a field, truncated to 31 bytes without
// splitting a double-byte character, always terminated.
void storeCaption(char (&field)[kCaptionBytes], const char* text);

// Copies a field into a caller's buffer, never reading past the field and
// always terminated, whatever state the field is in.
void readCaption(char (&buffer)[kCaptionBytes], const char (&field)[kCaptionBytes]);

// popupItemCount bounded to the entries that exist; negative means none.
int popupEntriesInUse();
