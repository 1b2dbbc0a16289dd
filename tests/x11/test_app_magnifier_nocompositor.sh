#!/usr/bin/env bash
# test_app_magnifier.sh without a compositor: the magnifier's window and
# picture come from the X server alone.
exec bash "$(dirname "$0")/test_app_magnifier.sh" --no-compositor
