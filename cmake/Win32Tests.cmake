# Unit tests of the Win32 services, run under Wine.
