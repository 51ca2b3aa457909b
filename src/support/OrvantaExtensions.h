#pragma once

// The application's extensions of platform classes, as free functions in namespace
// OrvantaExtensions taking the extended object first, plus ConvertObjectIntoSubclass.
#include "support/AlertExtensions.h"
#include "support/ButtonExtensions.h"
#include "support/CollectionExtensions.h"
#include "support/ConvertObjectIntoSubclass.h"
#include "support/ImageExtensions.h"
#include "support/MenuExtensions.h"
#include "support/PresenceExtensions.h"
#include "support/StringExtensions.h"
#include "support/TextExtensions.h"
