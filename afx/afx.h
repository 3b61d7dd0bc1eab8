// The portable core of the framework: types, strings, collections, exceptions and files.
#pragma once

#include "afxtypes.h"
#include "afxstr.h"
#include "afxobj.h"
#include "afxexcept.h"
#include "afxcoll.h"
#include "afxfile.h"
#include "afxtime.h"
