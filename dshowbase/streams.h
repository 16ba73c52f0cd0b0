// Our DirectShow base classes, all in one include.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <amvideo.h>
#include <evcode.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include "Allocator.h"
#include "BaseFilter.h"
#include "BasePin.h"
#include "ClassFactory.h"
#include "ComBase.h"
#include "Enumerators.h"
#include "InputPin.h"
#include "MediaSample.h"
#include "MediaType.h"
#include "OutputPin.h"
#include "PersistStream.h"
#include "PosPassThru.h"
#include "PropertyPage.h"
#include "RefTime.h"
#include "Registration.h"
#include "Source.h"
#include "Threads.h"
