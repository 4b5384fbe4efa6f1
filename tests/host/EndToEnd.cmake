# End-to-end tests of the host with the built control (filled in below).
