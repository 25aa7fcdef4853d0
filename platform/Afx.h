// Everything of the platform layer that the image library uses, in one include.
#pragma once

#include "platform/Clock.h"
#include "platform/File.h"
#include "platform/Gdi.h"
#include "platform/Heap.h"
#include "platform/MessageBox.h"
#include "platform/Object.h"
#include "platform/Rand.h"
#include "platform/String.h"
#include "platform/Time.h"
#include "platform/Types.h"
