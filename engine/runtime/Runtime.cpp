// The application runtime and platform.
