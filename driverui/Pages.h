// The pages of the sheet, by which the page table refers to them: each page
// lives in its own <Page>Page.h and .cpp, with its templates in
// <Page>Page.rc and its ids in <Page>Resource.h.
#pragma once

#include "PageTemplates.h"

#include "HeatingEnergyPage.h"
#include "ImageColorPage.h"
#include "MagEncodingPage.h"
#include "PrintAreaPage.h"
#include "PrintOptionPage.h"
#include "ToolPage.h"
