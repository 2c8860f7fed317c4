#pragma once

class QObject;
class ScreenColourPicker;

// The picker that suits the desktop this runs on.
ScreenColourPicker *createScreenPicker(QObject *parent);
