# End-to-end tests of Tolvira.exe under Wine and Xvfb, with scripted engines.
