// Resource and control ids of the grid sample.
#pragma once

#define IDR_SAMPLE_MENU 100
#define IDC_SAMPLE_GRID 100
