// A network-room file that reaches into the recorder's room: the layer check must refuse it.
#include "serial/capture/CaptureReader.h"
