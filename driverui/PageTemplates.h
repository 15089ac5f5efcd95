// The dialog templates of the printing-preferences sheet and its dialogs.
// Each page keeps its control ids in its own <Page>Resource.h, within the
// range of its template:
//   500 Print Option            controls 2001-2099
//   511 Advanced card options   controls 8001-8023 (AdvancedCardResource.h)
//   501 Image Color             controls 3001-3099
//   502 Print Area (and 510)    controls 4001-4099, 7001-7099; icons 140, 141
//   503 Magnetic Encoding       controls 5001-5099
//   504 Heating Energy          controls 6001-6099, 3028
//   505 Tool                    controls 7001-7099; icon 142
// Control ids repeat between templates where the pages' own texts say so.
#pragma once

#define IDD_PRINT_OPTION 500
#define IDD_IMAGE_COLOR 501
#define IDD_PRINT_AREA 502
#define IDD_MAG_ENCODING 503
#define IDD_HEATING_ENERGY 504
#define IDD_TOOL 505
#define IDD_SAVE_PRINT_AREA 510
#define IDD_ADVANCED_CARD 511
