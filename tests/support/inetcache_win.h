// Wine's internet library keeps a full copy of every FTP download in the
// prefix's cache folder; tests and benchmarks empty it after big transfers.
#ifndef VORTO_TESTS_INETCACHE_WIN_H
#define VORTO_TESTS_INETCACHE_WIN_H

void ClearInternetCache();

#endif
