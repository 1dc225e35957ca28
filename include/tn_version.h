/* One place for the version of the modules; feeds the VERSIONINFO resources. */
#ifndef TN_VERSION_H
#define TN_VERSION_H
#define TN_VERSION_MAJOR 1
#define TN_VERSION_MINOR 0
#define TN_VERSION_PATCH 0
#define TN_VERSION_BUILD 0
#define TN_VERSION_STRING "1.0.0.0"
#define TN_WIDEN_(text) L##text
#define TN_WIDEN(text) TN_WIDEN_(text)
#define TN_VERSION_WSTRING TN_WIDEN(TN_VERSION_STRING)
#define TN_PRODUCT_NAME "Tessaron Installation Services"
#define TN_COMPANY_NAME "Tessaron"
#endif
