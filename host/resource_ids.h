// String-table entries of the host's own texts (host/host.rc). Shared by the
// resource script and the code; plain #defines so that windres reads them.
#pragma once

// Dialog kinds' captions, in DialogKind order (Custom has none).
#define IDS_KIND_CAPTION_FIRST 100
// Button captions, in DialogButton order.
#define IDS_BUTTON_CAPTION_FIRST 200
#define IDS_ERROR_REPORT_CAPTION 300
#define IDS_ERROR_REPORT_FORMAT 301
